#include "app/gui/TranslateWindows.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMetaProperty>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSet>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTableView>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>
#include <QTreeView>
#include <functional>
#include <optional>

#include "app/core/IniFile.h"
#include "app/core/Translation.h"
#include "app/gui/EntryModel.h"
#include "app/gui/VrListView.h"

namespace vk::gui {
namespace {

// The raw value of a key of the window's section, nothing when the key is missing. Raw:
// Translate() would put "NO TRANSLATION!" on every control the file does not name.
using KeyReader = std::function<std::optional<QString>(const QString& key)>;

const QString kKeepLine = QStringLiteral("fsdef");

QString Indexed(const QString& prefix, const char* name, int i) {
  return prefix + QLatin1String(name) + '[' + QString::number(i) + ']';
}

QString ReadText(const KeyReader& read, const QString& key) {
  return read(key).value_or(QString());
}

bool HasTextProperty(const QObject* c, const char* property) {
  const QMetaObject* meta = c->metaObject();
  const int index = meta->indexOfProperty(property);
  return index >= 0 && meta->property(index).isWritable();
}

// The tab widget that shows `page` as one of its tabs.
QTabWidget* TabsOf(QObject* page) {
  auto* widget = qobject_cast<QWidget*>(page);
  QWidget* stack = widget ? widget->parentWidget() : nullptr;
  auto* tabs = qobject_cast<QStackedWidget*>(stack)
                   ? qobject_cast<QTabWidget*>(stack->parentWidget())
                   : nullptr;
  return tabs && tabs->indexOf(widget) >= 0 ? tabs : nullptr;
}

const char* CaptionProperty(const QObject* c) {
  if (qobject_cast<const QGroupBox*>(c) || qobject_cast<const QMenu*>(c)) return "title";
  if (qobject_cast<const QAbstractButton*>(c) || qobject_cast<const QLabel*>(c) ||
      qobject_cast<const QAction*>(c))
    return "text";
  return nullptr;
}

void TranslateCaption(QObject* c, const QString& prefix, const KeyReader& read) {
  if (QTabWidget* tabs = TabsOf(c)) {
    const QString text = ReadText(read, prefix + "Caption");
    if (!text.isEmpty())
      tabs->setTabText(tabs->indexOf(static_cast<QWidget*>(c)), app::WithEditionName(text));
  } else if (const char* property = CaptionProperty(c)) {
    SetTextProperty(c, property, ReadText(read, prefix + "Caption"));
  }
}

QTextDocument* MemoDocument(QObject* c) {
  if (auto* edit = qobject_cast<QPlainTextEdit*>(c)) return edit->document();
  if (auto* edit = qobject_cast<QTextEdit*>(c)) return edit->document();
  return nullptr;
}

void TranslateLines(QObject* c, const QString& prefix, const KeyReader& read) {
  QTextDocument* doc = MemoDocument(c);
  if (!doc || doc->isEmpty()) return;  // an empty memo has no lines, not one empty line
  for (int i = 0; i < doc->blockCount(); ++i) {
    const QString value = read(Indexed(prefix, "lines", i)).value_or(kKeepLine);
    if (value == kKeepLine) continue;
    QTextCursor cursor(doc->findBlockByNumber(i));
    cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    cursor.insertText(value);
  }
}

// Sets item i of a list-like component; `count` items exist.
void TranslateItems(const QString& prefix, const KeyReader& read, int count,
                    const std::function<void(int, const QString&)>& set) {
  for (int i = 0; i < count; ++i) {
    const QString value = ReadText(read, Indexed(prefix, "items", i));
    if (!value.isEmpty()) set(i, value);
  }
}

void TranslateItems(QObject* c, const QString& prefix, const KeyReader& read) {
  if (auto* combo = qobject_cast<QComboBox*>(c)) {
    TranslateItems(prefix, read, combo->count(),
                   [combo](int i, const QString& text) { combo->setItemText(i, text); });
  } else if (auto* list = qobject_cast<QListWidget*>(c)) {
    TranslateItems(prefix, read, list->count(),
                   [list](int i, const QString& text) { list->item(i)->setText(text); });
  } else if (auto* group = qobject_cast<QGroupBox*>(c)) {
    const auto buttons = group->findChildren<QRadioButton*>(Qt::FindDirectChildrenOnly);
    TranslateItems(prefix, read, int(buttons.size()),
                   [&buttons](int i, const QString& text) { buttons[i]->setText(text); });
  }
}

void TranslateColumns(QObject* c, const QString& prefix, const KeyReader& read) {
  QAbstractItemModel* model = nullptr;
  if (auto* tree = qobject_cast<QTreeView*>(c)) model = tree->model();
  if (auto* table = qobject_cast<QTableView*>(c)) model = table->model();
  if (auto* list = qobject_cast<TVrListView*>(c)) model = list->Model();
  if (!model) return;
  for (int i = 0; i < model->columnCount(); ++i) {
    const QString value = ReadText(read, Indexed(prefix, "Columns", i) + ".Caption");
    if (!value.isEmpty()) model->setHeaderData(i, Qt::Horizontal, value, Qt::DisplayRole);
  }
}

// The window's components in creation order, menus and actions included. Another window
// among its children (a dialog it owns, a combo box's popup) is left to itself.
void CollectComponents(QObject* parent, QList<QObject*>& components) {
  for (QObject* child : parent->children()) {
    auto* widget = qobject_cast<QWidget*>(child);
    if (widget && widget->isWindow() && !qobject_cast<QMenu*>(widget)) continue;
    if (!child->objectName().isEmpty()) components << child;
    CollectComponents(child, components);
  }
}

void TranslateWindow(QWidget* window, const KeyReader& read) {
  const QString name = window->objectName();
  const QString caption = ReadText(read, name + ".Caption");
  if (!caption.isEmpty()) window->setWindowTitle(app::WithEditionName(caption));
  QList<QObject*> components;
  CollectComponents(window, components);
  for (QObject* c : components) {
    const QString prefix = name + '.' + c->objectName() + '.';
    TranslateCaption(c, prefix, read);
    if (HasTextProperty(c, "toolTip"))
      SetTextProperty(c, "toolTip", ReadText(read, prefix + "Hint"));
    TranslateLines(c, prefix, read);
    TranslateItems(c, prefix, read);
    TranslateColumns(c, prefix, read);
  }
}

}  // namespace

void TranslateWindows(const QList<QWidget*>& windows, const app::TIniFile* file) {
  if (!file) return;
  for (QWidget* window : windows) {
    if (!window) continue;
    const QString section = window->objectName();
    TranslateWindow(window,
                    [file, &section](const QString& key) { return file->Value(section, key); });
  }
}

bool SetTextProperty(QObject* component, const char* property, const QString& text) {
  // setProperty() with a name the class does not have would add a dynamic property.
  if (!component || text.isEmpty() || !HasTextProperty(component, property)) return false;
  return component->setProperty(property, app::WithEditionName(text));
}

QStringList UnusedWindowKeys(QWidget* window, const app::TIniFile& file) {
  // The same walk as the translation, with a reader that only notes which keys it asks
  // for and answers "missing", so that nothing in the window changes.
  QSet<QString> asked;
  TranslateWindow(window, [&asked](const QString& key) -> std::optional<QString> {
    asked.insert(key.toLower());
    return std::nullopt;
  });
  QStringList unused;
  for (const QString& key : file.Keys(window->objectName()))
    if (!asked.contains(key.toLower())) unused << key;
  return unused;
}

}  // namespace vk::gui
