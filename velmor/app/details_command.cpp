// velmor details: the station-details file to fill in and pass to velmor cabrillo --details.
#include <memory>

#include "commands.h"
#include "console.h"
#include "host_session/station_details_file.h"

namespace velmor::cli {
namespace {

int runDetails(const std::string& output) {
    return writeOutput(output, stationDetailsTemplate()) ? kExitDone : kExitFileError;
}

}  // namespace

void setUpDetails(CLI::App& cmd, Run& run) {
    auto output = std::make_shared<std::string>();
    cmd.description(
        "Write a station-details file with every key the plug-in's dialog keeps (Plugins\\VARDO.ini), each "
        "explained, ready to fill in and pass to velmor cabrillo --details.\nExit status: 0 written, 2 usage "
        "error, 3 not written.");
    cmd.add_option("-o,--output", *output, "the file to write; - for standard output")->required()->type_name("FILE");
    cmd.callback([output, &run] { run = [output] { return runDetails(*output); }; });
}

}  // namespace velmor::cli
