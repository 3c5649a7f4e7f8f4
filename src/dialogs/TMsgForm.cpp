// The self-closing message window: built in code and laid out like the platform's message box.
#include "dialogs/TMsgForm.h"

#include <QApplication>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTimer>
#include <algorithm>

#include "dialogs/GuiText.h"

namespace gui {

namespace {

TimedMessageHandler& Handler() {
  static TimedMessageHandler handler;
  return handler;
}

constexpr int kIconSize = 32;

QString KindCaption(int kind) {
  switch (kind) {
    case 0:
      return QStringLiteral("Warning");
    case 1:
      return QStringLiteral("Error");
    case 2:
      return QStringLiteral("Information");
    case kMsgKindConfirm:
      return QStringLiteral("Confirm");
    default:
      return QGuiApplication::applicationDisplayName();
  }
}

// The stock icon of the kind; none for the plain kind.
QIcon KindIcon(int kind, const QStyle* style) {
  switch (kind) {
    case 0:
      return style->standardIcon(QStyle::SP_MessageBoxWarning);
    case 1:
      return style->standardIcon(QStyle::SP_MessageBoxCritical);
    case 2:
      return style->standardIcon(QStyle::SP_MessageBoxInformation);
    case kMsgKindConfirm:
      return style->standardIcon(QStyle::SP_MessageBoxQuestion);
    default:
      return {};
  }
}

// Width of the "OK" caption, measured once per run as the button's minimum.
int OkCaptionWidth(const QFontMetrics& metrics) {
  static const int width = metrics.horizontalAdvance(QStringLiteral("OK"));
  return width;
}

int MulDiv(int value, int numerator, int denominator) {
  return static_cast<int>((static_cast<long long>(value) * numerator + denominator / 2) /
                          denominator);
}

}  // namespace

TMsgForm::TMsgForm(const QString& text, int kind, QWidget* parent)
    : QDialog(parent), timer_(new QTimer(this)) {
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint);
  setFont(QApplication::font("QMessageBox"));
  setLayoutDirection(QGuiApplication::layoutDirection());
  setWindowTitle(KindCaption(kind));

  timer_->setInterval(3000);
  connect(timer_, &QTimer::timeout, this, &QDialog::reject);

  // Dialog units of the window's font.
  const QFontMetrics metrics(font());
  const QString letters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
  const int avgWidth = metrics.horizontalAdvance(letters) / 52;
  const int avgHeight = metrics.height();
  const int hMargin = MulDiv(8, avgWidth, 4);
  const int vMargin = MulDiv(8, avgHeight, 8);
  const int hSpacing = MulDiv(10, avgWidth, 4);
  const int vSpacing = MulDiv(10, avgHeight, 8);
  const int buttonWidth = std::max(MulDiv(50, avgWidth, 4), OkCaptionWidth(metrics) + 8);
  const int buttonHeight = MulDiv(14, avgHeight, 8);

  const QScreen* screen = QGuiApplication::primaryScreen();
  const QRect screenRect = screen ? screen->geometry() : QRect(0, 0, 1024, 768);
  const QString shown = MessageText(S(text));
  const QRect textRect = metrics.boundingRect(
      QRect(0, 0, std::max(1, screenRect.width() / 2), 1 << 20),
      Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap | Qt::TextExpandTabs, shown);
  auto* message = new QLabel(shown, this);
  message->setObjectName(QStringLiteral("Message"));
  message->setTextFormat(Qt::PlainText);
  message->setWordWrap(true);
  message->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  const int textWidth = textRect.width();
  const int textHeight = std::max(textRect.height(), message->heightForWidth(textWidth));

  const QIcon icon = KindIcon(kind, style());
  int blockWidth = textWidth;
  int blockHeight = textHeight;
  if (!icon.isNull()) {
    blockWidth += kIconSize + hSpacing;
    blockHeight = std::max(blockHeight, kIconSize);
  }
  const int clientWidth = std::max(blockWidth, buttonWidth) + 2 * hMargin;
  const int clientHeight = blockHeight + buttonHeight + vSpacing + 2 * vMargin;
  const bool rtl = layoutDirection() == Qt::RightToLeft;
  auto place = [&](QWidget* w, int left, int top, int width, int height) {
    w->setGeometry(rtl ? clientWidth - left - width : left, top, width, height);
  };

  if (!icon.isNull()) {
    auto* image = new QLabel(this);
    image->setObjectName(QStringLiteral("Image"));
    image->setPixmap(icon.pixmap(kIconSize, kIconSize));
    place(image, hMargin, vMargin, kIconSize, kIconSize);
  }
  place(message, blockWidth - textWidth + hMargin, vMargin, textWidth, textHeight);

  auto* ok = new QPushButton(QStringLiteral("OK"), this);
  ok->setObjectName(QStringLiteral("OK"));
  ok->setDefault(true);
  ok->setAutoDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  place(ok, (clientWidth - buttonWidth) / 2, blockHeight + vMargin + vSpacing, buttonWidth,
        buttonHeight);

  setFixedSize(clientWidth, clientHeight);
  move(screenRect.x() + screenRect.width() / 2 - clientWidth / 2,
       screenRect.y() + screenRect.height() / 2 - clientHeight / 2);
}

void TMsgForm::Start(int seconds) {
  // Long enough for any real use and far from overflowing the interval.
  timer_->setInterval(std::max(1, std::min(seconds, 86400) * 1000));
  timer_->start();
}

void ShowTimedMessage(const std::string& text, core::MessageKind kind, int seconds) {
  if (Handler()) {
    Handler()(text, kind, seconds);
    return;
  }
  TMsgForm form(Q(text), static_cast<int>(kind));
  form.Start(seconds);
  form.exec();
}

void SetTimedMessageHandler(TimedMessageHandler handler) {
  Handler() = std::move(handler);
}

}  // namespace gui
