// The main window's Options menu and toolbar settings: the Configuration dialog, settings
// import and export, Clear History, the Reuse, tray and stay-on-top switches, and which
// toolbar buttons show with what.
#include <QAction>
#include <QEvent>
#include <QFileDialog>
#include <QHeaderView>
#include <QMenu>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <array>
#include <tuple>
#include <utility>

#include "app/core/AppSettings.h"
#include "app/core/ColumnFormat.h"
#include "app/core/Translation.h"
#include "app/gui/ExplorerPanel.h"
#include "app/gui/MainForm.h"
#include "app/gui/MessageBox.h"
#include "app/gui/VrListView.h"

namespace vk::gui {

namespace {

// "Vorel Settings|*.cfg" in the file dialogs' form.
QString DialogFilter() {
  const QString filter = app::kSettingsExchangeFilter;
  return filter.section('|', 0, 0) + " (" + filter.section('|', 1) + ")";
}

// Swallows the toolbar buttons' tips while the settings turn them off.
class TToolTipSwitch : public QObject {
 public:
  using QObject::QObject;
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::ToolTip && !app::AppSettings().ShowToolTips) return true;
    return QObject::eventFilter(watched, event);
  }
};

// The width fields of a TColumnWidths (const or not) in the lists' column order.
template <class W>
auto ColumnFields(W& w) {
  return std::array{&w.FileName, &w.FileType, &w.DateTime,   &w.Unpacked, &w.Ratio,
                    &w.Packed,   &w.CRC,      &w.Attributes, &w.Folder};
}
static_assert(std::tuple_size_v<decltype(ColumnFields(std::declval<app::TColumnWidths&>()))> ==
              app::kColumnCount);

}  // namespace

void TMainForm::ConnectOptionsActions() {
  connect(Action("acConfiguration"), &QAction::triggered, this, [this] {
    TfrmOptions options(this, TfrmOptions::pgView, this);
    options.exec();
  });
  connect(Action("acImportSettings"), &QAction::triggered, this, &TMainForm::ImportSettings);
  connect(Action("acExportSettings"), &QAction::triggered, this, &TMainForm::ExportSettings);
  connect(Action("acClearHistory"), &QAction::triggered, this,
          [] { app::AppSettings().ClearHistory(); });
  const std::pair<const char*, bool app::TAppSettings::*> switches[] = {
      {"acReuse", &app::TAppSettings::Reuse},
      {"acMinToTray", &app::TAppSettings::MinToTray},
      {"acAlwaysOnTop", &app::TAppSettings::AlwaysOnTop}};
  for (const auto& [name, field] : switches) {
    QAction* action = Action(name);
    action->setCheckable(true);
    connect(action, &QAction::toggled, this, [this, name, field](bool on) {
      app::TAppSettings& s = app::AppSettings();
      if (s.*field == on) return;
      s.*field = on;
      // A second start reads Reuse before this run ends.
      if (QString(name) == "acReuse") s.SaveReuse();
      if (QString(name) == "acAlwaysOnTop") SetStayOnTop(on);
    });
  }
}

void TMainForm::ImportSettings() {
  const QString file = QFileDialog::getOpenFileName(
      this, app::kImportSettingsTitle,
      app::AppSettings().AppCurrentDir + '/' + app::kSettingsExchangeFileName, DialogFilter());
  if (file.isEmpty()) return;
  if (!app::AppSettings().Import(file)) {
    MessageBox(tr("The settings could not be read from \"%1\".").arg(file), mtError, {mbOK}, 0,
               this);
    return;
  }
  ApplySettings();
  ApplyColumnWidths();
  LoadLanguage(app::StartLanguagePath(app::AppSettings().AppLanguageFile));
}

void TMainForm::ExportSettings() {
  const QString file = QFileDialog::getSaveFileName(
      this, app::kExportSettingsTitle,
      app::AppSettings().AppCurrentDir + '/' + app::kSettingsExchangeFileName, DialogFilter());
  if (file.isEmpty()) return;
  if (!app::AppSettings().Export(file))
    MessageBox(tr("The settings could not be written to \"%1\".").arg(file), mtError, {mbOK}, 0,
               this);
}

void TMainForm::ApplyButtons() {
  const app::TAppSettings& s = app::AppSettings();
  const Qt::ToolButtonStyle style =
      s.ShowToolbarCaptions ? Qt::ToolButtonTextUnderIcon : Qt::ToolButtonIconOnly;
  toolBar_->setToolButtonStyle(style);
  for (size_t i = 0; i < toolButtons_.size(); ++i) {
    toolButtons_[i]->setVisible(s.Buttons[i]);
    auto* button = qobject_cast<QToolButton*>(toolBar_->widgetForAction(toolButtons_[i]));
    if (!button) continue;
    // Buttons placed as widgets do not follow the toolbar's own style.
    button->setToolButtonStyle(style);
    button->setAutoRaise(s.FlatToolButtons);
    if (!button->property("tipSwitch").toBool()) {
      button->installEventFilter(new TToolTipSwitch(button));
      button->setProperty("tipSwitch", true);
    }
  }
}

TOptionsView TMainForm::CurrentView() const {
  const app::TAppSettings& s = app::AppSettings();
  TOptionsView view;
  view.ToolbarVisible = toolBar_->isVisibleTo(this);
  view.ToolbarCaptions = s.ShowToolbarCaptions;
  view.ToolTips = s.ShowToolTips;
  view.FlatToolButtons = s.FlatToolButtons;
  view.GridLines = s.ShowGridLines;
  view.FullRowSelect = s.FullRowSelect;
  view.FlatScrollbars = s.FlatScrollbars;
  view.StatusBarVisible = statusBar()->isVisibleTo(this);
  view.Columns = s.Columns;
  const QHeaderView* header = list_->Header();
  const auto widths = ColumnFields(view.Columns);
  for (int i = 0; i < app::kColumnCount; ++i)
    *widths[size_t(i)] = header->isSectionHidden(i) ? 0 : header->sectionSize(i);
  return view;
}

void TMainForm::SetView(const TOptionsView& view) {
  app::TAppSettings& s = app::AppSettings();
  s.ShowToolbar = view.ToolbarVisible;
  s.ShowToolbarCaptions = view.ToolbarCaptions;
  s.ShowToolTips = view.ToolTips;
  s.FlatToolButtons = view.FlatToolButtons;
  s.ShowGridLines = view.GridLines;
  s.FullRowSelect = view.FullRowSelect;
  s.FlatScrollbars = view.FlatScrollbars;
  s.ShowStatusPanel = view.StatusBarVisible;
  const QString order = s.Columns.Order;
  s.Columns = view.Columns;
  s.Columns.Order = order;
  toolBar_->setVisible(view.ToolbarVisible);
  statusBar()->setVisible(view.StatusBarVisible);
  Action("acViewToolbar")->setChecked(view.ToolbarVisible);
  Action("acViewStatusBar")->setChecked(view.StatusBarVisible);
  ApplyButtons();
  ApplyListOptions();
  // Each list keeps its own widths and order: a column the dialog hides goes, and one it
  // shows again comes back at its first-run width.
  const auto chosen = ColumnFields(view.Columns);
  const app::TColumnWidths firstRun;
  const auto defaults = ColumnFields(firstRun);
  for (TVrListView* list : {list_, explorer_->List()}) {
    QHeaderView* header = list->Header();
    for (int i = 0; i < app::kColumnCount; ++i) {
      const bool shown = !header->isSectionHidden(i) && header->sectionSize(i) > 1;
      header->setSectionHidden(i, *chosen[size_t(i)] == 0);
      if (*chosen[size_t(i)] > 0 && !shown) header->resizeSection(i, *defaults[size_t(i)]);
    }
  }
}

void TMainForm::SetStayOnTop(bool on) {
  if (windowFlags().testFlag(Qt::WindowStaysOnTopHint) == on) return;
  const bool shown = isVisible();
  setWindowFlag(Qt::WindowStaysOnTopHint, on);
  if (shown) show();
}

bool TMainForm::LoadSkin(const QString& file) {
  if (file.isEmpty()) {
    for (size_t i = 0; i < toolButtons_.size(); ++i) ToolbarAction(i)->setIcon(builtInIcons_[i]);
    return true;
  }
  // A skin is one strip of square images, one per button in toolbar order.
  const QPixmap strip(file);
  const int side = strip.height();
  if (strip.isNull() || side == 0 || strip.width() < side * app::kToolbarButtonCount) return false;
  for (int i = 0; i < app::kToolbarButtonCount; ++i)
    ToolbarAction(size_t(i))->setIcon(QIcon(strip.copy(i * side, 0, side, side)));
  return true;
}

std::vector<TToolbarButtonRow> TMainForm::ToolbarButtons() const {
  std::vector<TToolbarButtonRow> rows;
  for (size_t i = 0; i < toolButtons_.size(); ++i) {
    const QAction* action = ToolbarAction(i);
    rows.push_back(
        {action->text().remove('&').remove("..."), action->icon(), toolButtons_[i]->isVisible()});
  }
  return rows;
}

QAction* TMainForm::ToolbarAction(size_t index) const {
  return static_cast<QToolButton*>(toolBar_->widgetForAction(toolButtons_[index]))->defaultAction();
}

void TMainForm::ShowToolbarMenu(const QPoint& pos) {
  app::TAppSettings& s = app::AppSettings();
  QMenu menu(this);
  QAction* captions = menu.addAction(tr("Show Captions"));
  captions->setCheckable(true);
  captions->setChecked(s.ShowToolbarCaptions);
  QAction* tips = menu.addAction(tr("Show Tooltips"));
  tips->setCheckable(true);
  tips->setChecked(s.ShowToolTips);
  QAction* chosen = menu.exec(toolBar_->mapToGlobal(pos));
  if (chosen == captions) s.ShowToolbarCaptions = !s.ShowToolbarCaptions;
  if (chosen == tips) s.ShowToolTips = !s.ShowToolTips;
  ApplyButtons();
}

}  // namespace vk::gui
