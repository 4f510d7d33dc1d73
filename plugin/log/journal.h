// The error journal err.txt: its header line and the line for a QSO that AddData0 turned away.
#pragma once

#include <string>
#include <string_view>

#include "log/cinfo.h"

namespace velmor {

// err.txt is an 8-bit text file (code page 1251); every line ends in CR LF.
//
// Header, written after truncating the file:
//   "Velmor TEST UBN file " CR LF                      (note the trailing blank)
//
// One line per turned-away QSO, these pieces with nothing between them:
//   | piece                          | source                                         |
//   |--------------------------------|------------------------------------------------|
//   | "QSO:  "                       | fixed (two blanks)                              |
//   | frequency in kHz               | freqHz / 1000, plain decimal                    |
//   | "  " mode                      | as the host passed it                           |
//   | "  " date-time                 | "%Y-%m-%d %H%M", "" if null,                    |
//   |                                |  "Invalid DateTime" if invalid/unconvertible    |
//   | "  " own call                  |                                                 |
//   | "  " report sent               |                                                 |
//   | "  " exchange sent             |                                                 |
//   | "  " worked call               |                                                 |
//   | "  " report received           |                                                 |
//   | "  " exchange received         |                                                 |
//   | reason                         | "   NO TEST MODE !!!" or "   NO RX NUMBER !!!"  |
//   | CR LF                          |                                                 |

std::string journalHeaderLine();

// Why AddData0 turns a QSO away, as the reason its journal line ends with: "NO TEST MODE"
// for a mode other than the contest's three, written exactly (it wins), "NO RX NUMBER"
// for an empty received or sent exchange; empty for a QSO the plug-in keeps.
std::string_view turnAwayReason(const QsoFields& qso);

std::string journalLine(const QsoFields& qso, std::string_view reason);

}  // namespace velmor
