#include "ui/startup.h"

#include "ui/world.h"

namespace kestrun {

TKestrunWindows CreateWindows(TKestrunWorld& world) {
    TKestrunWindows w;
    w.fmMain = std::make_unique<TfmMain>(world);
    // Children of the main window, which destroys them with itself.
    w.fmConfig = new TfmConfig(world, *w.fmMain);
    w.fmAbout = new TfmAbout(w.fmMain.get());
    w.fmHelp = new TfmHelp(world, w.fmMain.get());
    w.fmMain->fmConfig = w.fmConfig;
    w.fmMain->fmAbout = w.fmAbout;
    w.fmMain->fmHelp = w.fmHelp;
    w.fmMain->ApplyCaptions(); // the secondary windows' buttons follow the language too
    return w;
}

} // namespace kestrun
