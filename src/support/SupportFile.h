// The "Support" entry of the editor's System window and `kavren support`: the report written to the
// desktop, and the confirmation that tells the user where it is.
#pragma once

#include "core/MessageBox.h"
#include "support/SupportReport.h"

#include <string>

namespace Tessu {
class TessuOS;
}

namespace Support {

inline constexpr const char* kSupportFileName = "kavrenXL Support.txt";

/** The effect's own settings: version, preset folder, plug-in format. */
SettingsFacts gatherSettingsFacts(Tessu::TessuOS& effect);
/**
 * The host as the effect sees it: its executable, its answers about itself through the effect's host
 * callback ("unknown" for each one it does not give), the block size, sample rate and plug-in format.
 */
HostFacts gatherHostFacts(Tessu::TessuOS& effect);

/** Writes the report, replacing an earlier one; answers the file's path, empty when nothing was written. */
std::string writeSupportFile(const std::string& report);

/** "Support Request" with its single "Thank you" button. */
Core::MessageBoxRequest supportConfirmation();
/** "Support Request" saying the report could not be written, and where it was meant to go. */
Core::MessageBoxRequest supportFailure();

/**
 * Gathers everything now, writes the report to the desktop and shows the confirmation, or the failure
 * when the desktop folder is missing or cannot be written. Answers the file's path (empty on failure).
 */
std::string requestSupportFile(Tessu::TessuOS& effect, Core::IMessagePresenter& presenter);

} // namespace Support
