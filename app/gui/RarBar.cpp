#include "app/gui/RarBar.h"

#include <QLinearGradient>
#include <QPainter>
#include <algorithm>

namespace vk::gui {
namespace {

// The colours of a scheme, from the dark side to the light one.
struct TScheme {
  QColor top, side1, side2, empty1, empty2, filled, filledSide1, filledSide2, font;
};

TScheme SchemeColors(TRarColorScheme scheme) {
  switch (scheme) {
    case rcAcid:
      return {QColor(0xD8, 0xF0, 0x60), QColor(0x50, 0x70, 0x10), QColor(0xA8, 0xD0, 0x30),
              QColor(0xE8, 0xE8, 0xE8), QColor(0xC8, 0xC8, 0xC8), QColor(0xC0, 0xF0, 0x20),
              QColor(0x60, 0x90, 0x00), QColor(0xB0, 0xE8, 0x10), QColor(0x20, 0x30, 0x00)};
    case rcLightGreen:
      return {QColor(0xC8, 0xF0, 0xC8), QColor(0x40, 0x90, 0x40), QColor(0x90, 0xD8, 0x90),
              QColor(0xF0, 0xF0, 0xF0), QColor(0xD0, 0xD0, 0xD0), QColor(0x90, 0xE0, 0x90),
              QColor(0x30, 0x80, 0x30), QColor(0x80, 0xD0, 0x80), QColor(0x10, 0x40, 0x10)};
    case rcLightBlue:
      return {QColor(0xC8, 0xE0, 0xF8), QColor(0x30, 0x70, 0xB0), QColor(0x90, 0xC0, 0xF0),
              QColor(0xF0, 0xF0, 0xF0), QColor(0xD0, 0xD0, 0xD0), QColor(0x80, 0xC0, 0xF8),
              QColor(0x20, 0x60, 0xA0), QColor(0x70, 0xB0, 0xF0), QColor(0x00, 0x20, 0x50)};
    case rcPurpleBlue:
      break;
  }
  return {QColor(0xD8, 0xC8, 0xF8), QColor(0x40, 0x20, 0x90), QColor(0x80, 0x70, 0xE0),
          QColor(0xF0, 0xF0, 0xF8), QColor(0xD0, 0xD0, 0xE0), QColor(0x70, 0x60, 0xE8),
          QColor(0x30, 0x10, 0x80), QColor(0x60, 0x50, 0xD8), QColor(0xFF, 0xFF, 0xFF)};
}

}  // namespace

TRarBar::TRarBar(QWidget* parent) : QWidget(parent) {
  setObjectName("RarBar");
  resize(60, 180);
  QFont bold = font();
  bold.setBold(true);
  setFont(bold);
  SetColorScheme(rcPurpleBlue);
}

void TRarBar::SetProgress(int value) {
  progress_ = value;
  update();
}

int TRarBar::Percentage() const {
  if (Max <= Min) return 0;
  const int clamped = std::clamp(progress_, Min, Max);
  return int((int64_t(clamped - Min) * 100) / (Max - Min));
}

void TRarBar::SetColorScheme(TRarColorScheme scheme) {
  scheme_ = scheme;
  const TScheme c = SchemeColors(scheme);
  TopColor = c.top;
  SideColor1 = c.side1;
  SideColor2 = c.side2;
  EmptyColor1 = c.empty1;
  EmptyColor2 = c.empty2;
  EmptyFrameColor1 = c.empty2.darker(130);
  EmptyFrameColor2 = c.empty1.darker(110);
  BottomFrameColor = c.side1.darker(130);
  BottomColor = c.side1;
  FilledFrameColor = c.filledSide1.darker(130);
  FilledColor = c.filled;
  FilledSideColor1 = c.filledSide1;
  FilledSideColor2 = c.filledSide2;
  EmptyLineColor = c.empty2.darker(115);
  FilledLineColor = c.filled.lighter(120);
  fontColor_ = c.font;
  update();
}

void TRarBar::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  // The cylinder: a body between two ellipses, a tenth of the width high.
  const QRectF area = QRectF(rect()).adjusted(X + 1, Y + 1, -1, -1);
  const qreal cap = std::max<qreal>(4, area.width() / 5);
  const qreal top = area.top() + cap / 2, bottom = area.bottom() - cap / 2;
  const qreal level = bottom - (bottom - top) * Percentage() / 100.0;
  auto side = [&](const QColor& dark, const QColor& light) {
    QLinearGradient g(area.left(), 0, area.right(), 0);
    g.setColorAt(0, dark);
    g.setColorAt(0.45, light);
    g.setColorAt(1, dark);
    return g;
  };
  auto ellipse = [&](qreal centreY) {
    return QRectF(area.left(), centreY - cap / 2, area.width(), cap);
  };
  // Empty part, then the filled part over it from the bottom up.
  p.setPen(EmptyFrameColor1);
  p.setBrush(side(EmptyColor2, EmptyColor1));
  p.drawRect(QRectF(area.left(), top, area.width(), bottom - top));
  p.setPen(BottomFrameColor);
  p.setBrush(BottomColor);
  p.drawEllipse(ellipse(bottom));
  if (Percentage() > 0) {
    p.setPen(Qt::NoPen);
    p.setBrush(side(FilledSideColor1, FilledSideColor2));
    p.drawRect(QRectF(area.left(), level, area.width(), bottom - level));
    p.drawEllipse(ellipse(bottom));
    p.setPen(FilledFrameColor);
    p.setBrush(FilledColor);
    p.drawEllipse(ellipse(level));
  }
  // A scale line at every tenth, in the colour of the part it crosses.
  for (int tenth = 1; tenth < 10; ++tenth) {
    const qreal lineY = bottom - (bottom - top) * tenth / 10.0;
    p.setPen(lineY >= level ? FilledLineColor : EmptyLineColor);
    p.drawLine(QPointF(area.right() - area.width() / 4, lineY), QPointF(area.right(), lineY));
  }
  p.setPen(EmptyFrameColor2);
  p.setBrush(TopColor);
  p.drawEllipse(ellipse(top));
  if (ShowPercentage) {
    p.setPen(Percentage() > 50 ? fontColor_ : SideColor1);
    p.drawText(QRectF(area.left(), top, area.width(), bottom - top), Qt::AlignCenter,
               QString::number(Percentage()) + u'%');
  }
}

}  // namespace vk::gui
