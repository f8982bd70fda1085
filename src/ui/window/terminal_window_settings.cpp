// The settings files and the panels: each panel restores its part at start-up
// and hands it back at close; the window reads and writes the files.
#include "settings/window_settings.h"
#include "ui/panels/command_band.h"
#include "ui/panels/macro_panel.h"
#include "ui/panels/options_band.h"
#include "ui/panels/port_controls.h"
#include "ui/panels/top_bar.h"
#include "ui/window/terminal_timers.h"
#include "ui/window/terminal_window.h"

namespace comtrax {

void TerminalWindow::loadSettings()
{
    const SettingsLoadResult r = loadSettingsFile(path("CfgTerminal"), settings_);
    // The user's settings are still in a file we could not read: writing the
    // built-in values over it at close would destroy them.
    settingsUnreadable_ = r.kind == SettingsLoad::Unreadable;
    if (r.kind == SettingsLoad::Failed || r.kind == SettingsLoad::Unreadable) {
        showError(r.io.error);
        return;
    }
    if (r.kind != SettingsLoad::Loaded) {
        if (!r.io)
            showError(r.io.error);
        return;
    }
    const WindowSettings s = readWindowSettings(settings_);
    topBar_->load(s);
    options_->load(s);
    macros_->load(s);
    // After the encoding: the saved suffix wins over the one HEX or ASCII sets.
    commandBand_->load(s);
    timers_->scheduleRx();
    timers_->schedulePeriod();
}

void TerminalWindow::saveSettings()
{
    WindowSettings s;
    topBar_->store(s);
    options_->store(s);
    commandBand_->store(s);
    macros_->store(s);
    storeWindowSettings(s, terminal_->portName(), settings_);
}

void TerminalWindow::loadLineSettings()
{
    const LineSettingsLoad r = loadLineSettingsFile(path("CfgLine"));
    lineSettingsUnreadable_ = !r.io;
    if (!r.io) {
        showError(r.io.error);
        return;
    }
    lineSettings_ = r.settings;
    options_->load(lineSettings_);
    topBar_->load(lineSettings_);
    portControls_->load(lineSettings_);
}

void TerminalWindow::saveLineSettings()
{
    options_->store(lineSettings_);
    topBar_->store(lineSettings_);
    portControls_->store(lineSettings_);
}

}  // namespace comtrax
