// velmor's exit statuses: the numbers operators' scripts rely on, named once for every subcommand.
#pragma once

namespace velmor::cli {

// | status | score, cabrillo, body            | check                 | crosscheck                      |
// |--------|----------------------------------|-----------------------|---------------------------------|
// | 0      | every record a contest QSO the   | clean                 | every file read and written     |
// |        | committee counts                 |                       |                                 |
// | 1      | a record not read, a QSO turned  | warnings only         | some files left out (the        |
// |        | away or not counted, or none at  |                       | outputs are still written)      |
// |        | all (the summary line says which)|                       |                                 |
// | 2      | usage error                      | errors (or usage)     | usage error: nothing written    |
// | 3      | a file not readable or not       | a file not readable,  | an output could not be written  |
// |        | written, standard output failed  | standard output failed|                                 |
enum ExitStatus : int {
    kExitDone = 0,
    kExitLeftOut = 1,
    kExitUsage = 2,
    kExitFileError = 3,
    // velmor check: the worst finding of all its files decides.
    kExitClean = kExitDone,
    kExitWarnings = 1,
    kExitErrors = 2,
};

// The statuses as each subcommand's --help states them.
inline constexpr const char* kConvertStatusHelp =
    "Exit status: 0 every record a contest QSO; 1 a record not read, a QSO turned away or one the "
    "committee will not count, or no contest QSO at all (the summary on standard error says which); 2 usage "
    "error; 3 a file not readable or not written.";
inline constexpr const char* kCheckStatusHelp =
    "Exit status: 0 clean, 1 warnings only, 2 errors, 3 a file not readable.";
inline constexpr const char* kCrosscheckStatusHelp =
    "Exit status 0 when every file was read, 1 when some were left out (the outputs are still "
    "written), 2 on a usage error, 3 when an output could not be written.";

}  // namespace velmor::cli
