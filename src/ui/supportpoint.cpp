#include "ui/supportpoint.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QRadioButton>

#include "settings/langs.h"
#include "ui/qtext.h"

namespace kestrun {

QGroupBox* NewSupportPointGroup(QWidget* parent, QButtonGroup*& items) {
    auto* group = new QGroupBox(QStringLiteral("Положение опорной точки"), parent);
    group->setObjectName(QStringLiteral("rgSupportPoint"));
    auto* layout = new QHBoxLayout(group);
    layout->setContentsMargins(6, 0, 6, 0);
    items = new QButtonGroup(group);
    const QString captions[2] = {QStringLiteral("К(П)ПМ"), QStringLiteral("Траверз")};
    for (int i = 0; i < 2; ++i) {
        auto* rb = new QRadioButton(captions[i], group);
        rb->setObjectName(QStringLiteral("rgSupportPoint_%1").arg(i));
        items->addButton(rb, i);
        layout->addWidget(rb);
    }
    return group;
}

void SetSupportPointCaptions(QGroupBox* group, QButtonGroup* items, const TLanguageTexts& texts) {
    group->setTitle(ToQ(texts.Get("sSupportPoint")));
    items->button(0)->setText(ToQ(texts.Get("sSupportPoint_EndWaypoint")));
    items->button(1)->setText(ToQ(texts.Get("sSupportPoint_Traverse")));
}

} // namespace kestrun
