#include "ui/fm_config.h"

#include <QDialogButtonBox>
#include <QVBoxLayout>

#include "ui/fm_main.h"
#include "ui/world.h"

namespace kestrun {

TfmConfig::TfmConfig(TKestrunWorld& world, TfmMain& main)
    : QDialog(&main), World(world), Main(main) {
    setObjectName(QStringLiteral("fmConfig"));
    setWindowTitle(QStringLiteral("Configure"));
    auto* layout = new QVBoxLayout(this);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    Main.SelectSupportPoint(World.Config.SupPointDef >= 1 ? 1 : 0);
    World.WayPointList.PlanModified = false;
}

} // namespace kestrun
