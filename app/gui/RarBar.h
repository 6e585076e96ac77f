// TRarBar: a ratio shown as an upright cylinder that fills from the bottom, with the
// percentage written across it.
#pragma once

#include <QColor>
#include <QWidget>

namespace vk::gui {

enum TRarColorScheme { rcPurpleBlue, rcAcid, rcLightGreen, rcLightBlue };

class TRarBar : public QWidget {
  Q_OBJECT

 public:
  explicit TRarBar(QWidget* parent = nullptr);

  int Min = 0;
  int Max = 100;
  bool ShowPercentage = true;
  int X = 0;  // the cylinder's offset inside the control
  int Y = 5;

  int Progress() const { return progress_; }
  void SetProgress(int value);
  TRarColorScheme ColorScheme() const { return scheme_; }
  // Sets every colour and the font colour of the scheme.
  void SetColorScheme(TRarColorScheme scheme);
  // The filled share in whole percent, 0 for an empty range.
  int Percentage() const;

  QColor TopColor, SideColor1, SideColor2, EmptyColor1, EmptyColor2, EmptyFrameColor1,
      EmptyFrameColor2, BottomFrameColor, BottomColor, FilledFrameColor, FilledColor,
      FilledSideColor1, FilledSideColor2, EmptyLineColor, FilledLineColor;

  QSize sizeHint() const override { return {60, 180}; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  int progress_ = 0;
  TRarColorScheme scheme_ = rcPurpleBlue;
  QColor fontColor_;
};

}  // namespace vk::gui
