// The robot's pages: the upload form, receipts, refusals, the list of logs received, as
// HTML (for browsers) or plain text (for curl and scripts). Every value from an upload or a
// request goes through shown::html in the HTML form; no page needs a script.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "robot/log_review.h"
#include "robot/storage.h"

namespace velmor::robot {

enum class Format { Html, Text };

struct Page {
    int status = 200;
    std::string contentType;
    std::string body;
};

// What the form page says about this robot.
struct SiteInfo {
    std::string deadline;  // "2026-05-23 23:59 UTC"; empty: no deadline
    bool closed = false;   // the deadline has passed
    std::size_t maxBytes = 0;
    std::vector<std::string> otherContests;  // CONTEST names taken besides "Velmor"
};

// At most this many findings are listed on a page, each line's text cut to kShownLineBytes.
inline constexpr std::size_t kShownFindings = 500;
inline constexpr std::size_t kShownLineBytes = 200;

// GET /: the form (a file field "log", an e-mail field "email", a submit button) and the
// deadline and rules in one paragraph; after the deadline, only that it has passed.
Page formPage(const SiteInfo& site);
// 200 for a fresh upload or GET /receipt/CODE: the receipt.
Page receiptPage(const Upload& upload, bool fresh, Format format);
// 422: every finding (errors and warnings) with its line and the line's text.
Page rejectionPage(const std::vector<ReviewFinding>& findings, Format format);
// Any other refusal: the status and the plain reason.
Page errorPage(int status, const std::string& reason, Format format);
// GET /logs: call, category, QSO lines and time of the latest upload of every entrant.
Page logsPage(const std::vector<EntrantSummary>& entrants, Format format);
// GET /style.css: the pages' one style sheet.
std::string_view styleSheet();

// "2 MiB", "512 KiB" or "1000 bytes".
std::string sizeText(std::size_t bytes);

}  // namespace velmor::robot
