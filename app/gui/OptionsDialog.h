// TfrmOptions, the Configuration dialog: most of the program's options on six pages. Most
// controls show and set keys of the settings; the toolbar's and the lists' look is taken
// from the window that shows them and set there again on OK, through IOptionsTarget.
#pragma once

#include <QDialog>
#include <vector>

#include "app/core/AppSettings.h"
#include "app/gui/ToolbarButtonsDialog.h"

class QButtonGroup;
class QLabel;
class QLineEdit;
class QStackedWidget;
class QTabWidget;

namespace vk::gui {

// The look of the main window the dialog edits, as it is on screen.
struct TOptionsView {
  bool ToolbarVisible = false;
  bool ToolbarCaptions = false;
  bool ToolTips = false;
  bool FlatToolButtons = false;
  bool GridLines = false;  // these three of the classic list; set on both lists
  bool FullRowSelect = false;
  bool FlatScrollbars = false;
  bool StatusBarVisible = false;
  // The classic list's. On both lists 0 hides a column and a column shown again gets its
  // first-run width; the others keep each list's own width.
  app::TColumnWidths Columns;
};

// What the dialog needs of the window it configures.
class IOptionsTarget {
 public:
  virtual ~IOptionsTarget() = default;
  virtual TOptionsView CurrentView() const = 0;
  // Called on OK after the settings were stored (ColoredItems among them), so the window may
  // also refresh what it draws from them. Toolbar button height 42 without captions, and
  // repainting locked while the columns change, are the window's business.
  virtual void SetView(const TOptionsView& view) = 0;
  // Loads a toolbar skin image and rebuilds the grey images; "" restores the built-in
  // images. False when the file could not be used.
  virtual bool LoadSkin(const QString& file) = 0;
  // The toolbar's buttons in order, for the buttons dialog.
  virtual std::vector<TToolbarButtonRow> ToolbarButtons() const = 0;
  // After the buttons dialog's OK: shows and hides the buttons by AppSettings().Buttons.
  virtual void ApplyButtons() = 0;
  // Copies the window's view state into the settings; the last step of OK.
  virtual void StoreViewState() = 0;
};

class TfrmOptions : public QDialog {
  Q_OBJECT

 public:
  enum TPage {
    pgView,
    pgToolbar,
    pgFolders,
    pgFileAssociations,
    pgExplorerEnhancements,
    pgProgramLocations,
    kPageCount
  };

  // Loads the controls from the settings and from `target`; without a target the view
  // state comes from the settings and OK stores it there only. Opens on `page`; a page that
  // is not shown (File Associations, Explorer Enhancements) or does not exist opens View.
  explicit TfrmOptions(IOptionsTarget* target = nullptr, int page = pgView,
                       QWidget* parent = nullptr);

  // The pages this edition shows: File Associations and Explorer Enhancements stay hidden,
  // their controls are still loaded and stored.
  static bool PageShown(int page);

  // Stores the controls into the settings and sets the target's view, as OK does before it
  // closes the dialog. Rethrows what the target raised, after the cursor was reset and the
  // view state stored.
  void Apply();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  QWidget* CreateViewPage();
  QWidget* CreateToolbarPage();
  QWidget* CreateFoldersPage();
  QWidget* CreateFileAssociationsPage();
  QWidget* CreateExplorerPage();
  QWidget* CreateProgramsPage();
  // A line edit or editable combo box with its browse button.
  QWidget* FolderField(QLineEdit* edit, QWidget* parent);
  QWidget* FileField(QWidget* field, QWidget* parent);
  // Radio buttons in `group`, numbered in order, the last one with the folder it names.
  void AddRadioGroup(QWidget* group, const std::vector<const char*>& names,
                     const QStringList& captions, QLineEdit* folder);
  QButtonGroup* RadioGroup(const char* name) const;
  void Load();
  void StoreSettings(TOptionsView& view);
  void ArcTypeChanged(int type);
  void ShowSkinPreview();
  void SelectButtons();
  void OkClicked();
  template <typename T>
  T* Find(const char* name) const {
    return findChild<T*>(QLatin1String(name));
  }

  IOptionsTarget* target_ = nullptr;
  QTabWidget* pages_ = nullptr;
  QStackedWidget* methods_ = nullptr;
  QLabel* skinPreview_ = nullptr;
};

}  // namespace vk::gui
