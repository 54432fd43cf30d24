#include "ui/view/popup_wnd.h"

#include "core/store/cp1252.h"
#include "core/store/help_set.h"
#include "core/view/popup_geometry.h"
#include "ui/richtext/document_copy.h"
#include "ui/richtext/set_rich_text.h"
#include "ui/view/text_size.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScreen>
#include <QStyleHints>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QWindow>

#include <cmath>
#include <memory>

namespace mirelda::ui {

namespace {

// The frame allowances of the sizing rule, as margins around the text (see the constructor).
constexpr int kTextMarginX = 10;
constexpr int kTextMarginY = 12;

// QTextEdit keeps its viewport margins to itself; the pop-up needs them.
class PopupText : public QTextEdit
{
  public:
    using QTextEdit::QTextEdit;
    using QTextEdit::setViewportMargins;
};

// The mouse cursor stays hidden while the pop-up is made and placed.
class HiddenCursor
{
  public:
    HiddenCursor() { QApplication::setOverrideCursor(Qt::BlankCursor); }
    ~HiddenCursor() { QApplication::restoreOverrideCursor(); }
    HiddenCursor(const HiddenCursor&) = delete;
    HiddenCursor& operator=(const HiddenCursor&) = delete;
};

// Leaves nothing below the last line of text: no blank paragraphs at the end and no space
// after the last one, so that the height measured for the window is the text's own.
void TrimTail(QTextDocument& doc)
{
    QTextBlock keep = doc.lastBlock();
    // A table's cells stay whole: the trimming stops at the block after it.
    while (keep.previous().isValid() && !keep.textList() && keep.text().trimmed().isEmpty() &&
           !QTextCursor(keep.previous()).currentTable())
        keep = keep.previous();
    QTextCursor c(&doc);
    c.beginEditBlock();
    if (keep != doc.lastBlock()) {
        c.setPosition(keep.position() + keep.length() - 1);
        c.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
        c.removeSelectedText();
    }
    c.movePosition(QTextCursor::End);
    QTextBlockFormat format = c.blockFormat();
    format.setBottomMargin(0);
    c.setBlockFormat(format);
    c.endEditBlock();
}

} // namespace

CPopupWnd* CPopupWnd::ShowPopup(std::string_view titleCp1252, std::string_view rtf, QPoint clickScreen,
                                QWidget* owner, int textZoom)
{
    HiddenCursor hidden;
    auto* popup = new CPopupWnd(owner);
    popup->CreatePopup(titleCp1252, rtf, clickScreen, textZoom);
    popup->FitToText();
    popup->PlaceNearPoint();
    popup->show();
    popup->opened_.start();
    return popup;
}

CPopupWnd::CPopupWnd(QWidget* owner)
    : QWidget(owner, Qt::Popup | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    // A pop-up window takes the keyboard and mouse while it is open, leaves the main window's
    // caption as it was, and is closed by the application at a click anywhere else.
    setObjectName(QStringLiteral("popupWnd"));
    setAttribute(Qt::WA_DeleteOnClose);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::ArrowCursor);
    setGeometry(0, 0, 100, 100);

    auto* text = new PopupText(this);
    text_ = text;
    text_->setObjectName(QStringLiteral("popupText"));
    text_->setGeometry(0, 0, 100, 100);
    text_->setReadOnly(true);
    text_->setTextInteractionFlags(Qt::NoTextInteraction);
    text_->setFocusPolicy(Qt::NoFocus);
    text_->setContextMenuPolicy(Qt::NoContextMenu);
    text_->setFrameStyle(QFrame::Box | QFrame::Plain);
    text_->setLineWidth(1);
    text_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // The window has no frame of its own: the width and height allowances become margins
    // around the text, so it is shown at the very width it was measured at (no re-wrap).
    text->setViewportMargins(kTextMarginX, kTextMarginY, kTextMarginX, kTextMarginY);
    text->setBackgroundRole(QPalette::Base); // the margins look like the rest of the note
    text->setAutoFillBackground(true);
    text_->viewport()->setCursor(Qt::ArrowCursor);
    text_->installEventFilter(this);
    text_->viewport()->installEventFilter(this);

    // Another window taking the focus, or the application losing it, closes the pop-up.
    connect(qApp, &QGuiApplication::focusWindowChanged, this, [this](QWindow* focus) {
        if (!isVisible() || !focus)
            return;
        const QWidget* ownerWindow = parentWidget() ? parentWidget()->window() : nullptr;
        if (focus != windowHandle() && !(ownerWindow && focus == ownerWindow->windowHandle()))
            ClosePopup();
    });
    connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
        if (isVisible() && state != Qt::ApplicationActive)
            ClosePopup();
    });
}

CPopupWnd::~CPopupWnd() = default;

bool CPopupWnd::CreatePopup(std::string_view titleCp1252, std::string_view rtf, QPoint clickScreen,
                            int textZoom)
{
    click_ = clickScreen;
    setWindowTitle(QString::fromStdU16String(mirelda::DecodeCp1252(mirelda::PopupCaption(titleCp1252))));
    mirelda::ui::SetRichText(*text_, rtf);
    text_->document()->setUndoRedoEnabled(false);
    if (textZoom != mirelda::kNormalTextZoom)
        ApplyTextZoom(*text_->document(), textZoom); // the reader's size, as in the view
    TrimTail(*text_->document());
    return true;
}

QRect CPopupWnd::screenArea() const
{
    QScreen* screen = QGuiApplication::screenAt(click_);
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect(0, 0, 640, 480);
}

void CPopupWnd::FitToText()
{
    const QRect area = screenArea();
    const mirelda::PixelRect screen{area.x(), area.y(), area.x() + area.width(), area.y() + area.height()};
    // Measured on a copy: the control relays its own document out whenever it is resized.
    const std::unique_ptr<QTextDocument> probe = mirelda::ui::CopyWithDrawnObjects(*text_->document());
    const int border = 2 * text_->frameWidth();
    const mirelda::PixelSize size = mirelda::PopupSizeForText(screen, [&](std::int32_t width) {
        probe->setTextWidth(std::max(width - border, 1));
        return static_cast<std::int32_t>(std::ceil(probe->documentLayout()->documentSize().height()));
    });
    resize(size.width, size.height);
}

void CPopupWnd::PlaceNearPoint()
{
    const QRect area = screenArea();
    const mirelda::PixelRect screen{area.x(), area.y(), area.x() + area.width(), area.y() + area.height()};
    const mirelda::PopupPlacement placement =
        mirelda::PopupPositionNearPoint({click_.x(), click_.y()}, screen, {width(), height()});
    move(placement.position.x, placement.position.y);
}

void CPopupWnd::ClosePopup()
{
    if (closing_)
        return;
    closing_ = true;
    if (QWidget::mouseGrabber() == this)
        releaseMouse();
    close();
}

void CPopupWnd::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (text_)
        text_->setGeometry(rect());
}

bool CPopupWnd::EndsOpeningDoubleClick(const QMouseEvent& event) const
{
    const QStyleHints* hints = QGuiApplication::styleHints();
    return opened_.isValid() && opened_.elapsed() < hints->mouseDoubleClickInterval() &&
           (event.globalPosition().toPoint() - click_).manhattanLength() <= hints->mouseDoubleClickDistance();
}

bool CPopupWnd::ClosesOnPress(const QMouseEvent& event) const
{
    return event.button() == Qt::LeftButton && !EndsOpeningDoubleClick(event);
}

void CPopupWnd::mousePressEvent(QMouseEvent* event)
{
    if (ClosesOnPress(*event))
        ClosePopup();
    else if (event->button() == Qt::LeftButton)
        event->accept();
    else
        QWidget::mousePressEvent(event);
}

void CPopupWnd::mouseDoubleClickEvent(QMouseEvent* event)
{
    mousePressEvent(event);
}

void CPopupWnd::keyPressEvent(QKeyEvent* event)
{
    event->accept();
    ClosePopup();
}

bool CPopupWnd::event(QEvent* event)
{
    if (event->type() == QEvent::WindowDeactivate && isVisible())
        ClosePopup();
    return QWidget::event(event);
}

bool CPopupWnd::eventFilter(QObject* watched, QEvent* event)
{
    if (text_ && (watched == text_ || watched == text_->viewport())) {
        if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick) {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            if (ClosesOnPress(*mouse))
                ClosePopup();
            return mouse->button() == Qt::LeftButton;
        }
        if (event->type() == QEvent::KeyPress) {
            ClosePopup();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace mirelda::ui
