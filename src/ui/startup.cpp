#include "ui/startup.h"

#include "ui/world.h"

namespace kestrun {

TKestrunWindows CreateWindows(TKestrunWorld& world) {
    TKestrunWindows w;
    w.fmMain = std::make_unique<TfmMain>(world);
    w.fmConfig = std::make_unique<TfmConfig>(world, *w.fmMain);
    w.fmAbout = std::make_unique<TfmAbout>(world.VerInfo, w.fmMain.get());
    w.fmHelp = std::make_unique<TfmHelp>(world, w.fmMain.get());
    w.fmMain->fmConfig = w.fmConfig.get();
    w.fmMain->fmAbout = w.fmAbout.get();
    w.fmMain->fmHelp = w.fmHelp.get();
    return w;
}

} // namespace kestrun
