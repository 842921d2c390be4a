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
    TKestrunWindows() = default;
    TKestrunWindows(TKestrunWindows&&) = default;
    TKestrunWindows& operator=(TKestrunWindows&&) = delete;
    ~TKestrunWindows() { Reset(); }
    /// Destroys the windows, the secondary ones (children of the main window) first.
    void Reset() {
        fmHelp.reset();
        fmAbout.reset();
        fmConfig.reset();
        fmMain.reset();
    }

    std::unique_ptr<TfmMain> fmMain;
    std::unique_ptr<TfmConfig> fmConfig;
    std::unique_ptr<TfmAbout> fmAbout;
    std::unique_ptr<TfmHelp> fmHelp;
};

/// Creates fmMain, fmConfig, fmAbout and fmHelp in this order, each to the end of its creation.
TKestrunWindows CreateWindows(TKestrunWorld& world);

} // namespace kestrun
