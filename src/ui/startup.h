// The program's windows, created in their order once the world is set up.
#pragma once

#include <memory>

#include "ui/fm_about.h"
#include "ui/fm_config.h"
#include "ui/fm_help.h"
#include "ui/fm_main.h"

namespace kestrun {

struct TKestrunWorld;

/// The main window owns the others as its Qt children; these pointers only name them.
struct TKestrunWindows {
    TKestrunWindows() = default;
    TKestrunWindows(TKestrunWindows&&) = default;
    TKestrunWindows& operator=(TKestrunWindows&&) = delete;
    ~TKestrunWindows() { Reset(); }
    /// Destroys the windows: the main window, and with it its children.
    void Reset() {
        fmConfig = nullptr;
        fmAbout = nullptr;
        fmHelp = nullptr;
        fmMain.reset();
    }

    std::unique_ptr<TfmMain> fmMain;
    TfmConfig* fmConfig = nullptr;
    TfmAbout* fmAbout = nullptr;
    TfmHelp* fmHelp = nullptr;
};

/// Creates fmMain, fmConfig, fmAbout and fmHelp in this order, each to the end of its creation.
TKestrunWindows CreateWindows(TKestrunWorld& world);

} // namespace kestrun
