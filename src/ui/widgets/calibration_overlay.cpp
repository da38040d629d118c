#include "ui/widgets/calibration_overlay.h"

#include <QEventLoop>
#include <QFont>
#include <QPainter>
#include <QRadialGradient>

namespace orvel::ui {

TCalibrationOverlayForm::TCalibrationOverlayForm(QWidget* owner, std::chrono::milliseconds tick)
    : QWidget(owner, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint), Owner(owner) {
  setObjectName(QStringLiteral("CalibrationOverlayForm"));
  setAttribute(Qt::WA_TranslucentBackground);
  setWindowModality(Qt::ApplicationModal);
  setFixedSize(kSize, kSize);
  Timer.setInterval(static_cast<int>(tick.count()));
  connect(&Timer, &QTimer::timeout, this, [this] { Tick(); });
}

TCalibrationOverlayForm::~TCalibrationOverlayForm() {
  if (Waiting != nullptr) {
    Waiting->quit();
  }
}

void TCalibrationOverlayForm::CountDown(int seconds) {
  Remaining = seconds;
  if (Owner != nullptr) {
    move(Owner->mapToGlobal(Owner->rect().center()) - rect().center());
  }
  show();
  raise();
  update();
  Timer.start();
  QEventLoop loop;
  Waiting = &loop;
  loop.exec();
  Waiting = nullptr;
}

void TCalibrationOverlayForm::Tick() {
  --Remaining;
  if (Remaining <= 0) {
    Timer.stop();
    hide();
    if (Waiting != nullptr) {
      Waiting->quit();
    }
    return;
  }
  update();
}

void TCalibrationOverlayForm::hideEvent(QHideEvent* event) {
  Timer.stop();
  if (Waiting != nullptr) {
    Waiting->quit();
  }
  QWidget::hideEvent(event);
}

void TCalibrationOverlayForm::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  // Everything outside the round picture stays transparent.
  const QRectF picture((kSize - kPictureSize) / 2.0, (kSize - kPictureSize) / 2.0, kPictureSize,
                       kPictureSize);
  QRadialGradient face(picture.center(), kPictureSize / 2.0);
  face.setColorAt(0.0, QColor(0xFF, 0xFF, 0xF0));
  face.setColorAt(0.8, QColor(0xD8, 0xD8, 0xD0));
  face.setColorAt(1.0, QColor(0x60, 0x60, 0x60));
  painter.setBrush(face);
  painter.setPen(QPen(QColor(0x40, 0x40, 0x40), 3));
  painter.drawEllipse(picture.adjusted(1.5, 1.5, -1.5, -1.5));

  QFont font(QStringLiteral("Arial"));
  font.setPixelSize(27);
  font.setBold(true);
  painter.setFont(font);
  painter.setPen(Qt::red);
  painter.drawText(picture, Qt::AlignCenter, QString::number(Remaining));
}

}  // namespace orvel::ui
