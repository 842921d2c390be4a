// The program's windows, created in their order once the world is set up.
#pragma once

#include <memory>

#include "ui/fm_about.h"
#include "ui/fm_config.h"
#include "ui/fm_help.h"
#include "ui/fm_main.h"

namespace kestrun {

struct TKestrunWorld;

struct TKestrunWindows {
    // Destroyed in reverse order: the secondary windows before the main window.
    std::unique_ptr<TfmMain> fmMain;
    std::unique_ptr<TfmConfig> fmConfig;
    std::unique_ptr<TfmAbout> fmAbout;
    std::unique_ptr<TfmHelp> fmHelp;
};

/// Creates fmMain, fmConfig, fmAbout and fmHelp in this order, each to the end of its creation.
TKestrunWindows CreateWindows(TKestrunWorld& world);

} // namespace kestrun
