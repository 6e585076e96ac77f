// Windows take their texts from a language file, addressed by object names: the section
// is the window's objectName, and the keys are "<win>.Caption" (the window title) and
// "<win>.<ctl>.Caption", ".Hint", ".lines[i]", ".items[i]", ".Columns[i].Caption" for the
// window's components (i counted from 0). A missing or empty value leaves the text alone,
// so a window keeps its built-in English where the file has nothing.
//
// Caption: the text of buttons, labels and actions, the title of group boxes and menus,
// the tab text of a tab page. Hint: the tool tip. lines: the lines of a QPlainTextEdit or
// QTextEdit (a missing key means "keep"; any value, an empty one too, replaces the line).
// items: the entries of a QComboBox or QListWidget, or the radio buttons of a QGroupBox.
// Columns: the horizontal header of a QTreeView or QTableView, set through its model's
// setHeaderData(i, Qt::Horizontal, text, Qt::DisplayRole); a model of the program's own
// takes its captions that way.
#pragma once

#include <QList>
#include <QStringList>

class QObject;
class QWidget;

namespace vk::app {
class TIniFile;
}

namespace vk::gui {

// Translates each window from `file`; nothing when no file is loaded (null).
void TranslateWindows(const QList<QWidget*>& windows, const app::TIniFile* file);

// Sets the Qt property `property` of `component` to `text` with the edition's name in
// it. Does nothing (false) when the text is empty or the component has no such property.
bool SetTextProperty(QObject* component, const char* property, const QString& text);

// The keys of the window's section in `file` that address nothing in the window: an
// unknown component, or a property, line, item or column it does not have.
QStringList UnusedWindowKeys(QWidget* window, const app::TIniFile& file);

// `widget` with the object name its language keys use.
template <class T>
T* Named(T* widget, const char* name) {
  widget->setObjectName(name);
  return widget;
}

}  // namespace vk::gui
