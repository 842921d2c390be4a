// The support-point selector, which the main window and the settings window both show.
#pragma once

class QButtonGroup;
class QGroupBox;
class QWidget;

namespace kestrun {

class TLanguageTexts;

/// The radio group "Положение опорной точки" (object name rgSupportPoint) with its two items
/// side by side: "К(П)ПМ" (id 0, the leg's end waypoint) and "Траверз" (id 1). `items`
/// receives the buttons' group; nothing is checked and nothing is connected.
QGroupBox* NewSupportPointGroup(QWidget* parent, QButtonGroup*& items);
/// Sets the group's caption and its items' from the interface texts.
void SetSupportPointCaptions(QGroupBox* group, QButtonGroup* items, const TLanguageTexts& texts);

} // namespace kestrun
