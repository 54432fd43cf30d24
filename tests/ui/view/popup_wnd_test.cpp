// The pop-up window on the offscreen screen: caption, text, size, placement for each region,
// and the three ways it closes.

#define QTEST_QPA_MOUSE_HANDLING // mouse events go through the window, as a user's would

#include "ui/view/popup_wnd.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QPointer>
#include <QScreen>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextEdit>
#include <QTextLayout>
#include <QtTest>

#include <cmath>
#include <string>

using namespace mirelda::ui;

namespace {

std::string Rtf(const std::string& body)
{
    return "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\\f0\\fs20 " + body + "}";
}

const std::string kShort = Rtf("Une bulle.\\par");

std::string LongText()
{
    std::string body;
    for (int i = 0; i < 300; ++i)
        body += "Une phrase assez longue pour remplir la bulle, encore et encore. ";
    return Rtf(body + "\\par");
}

} // namespace

class PopupWndTest : public QObject
{
    Q_OBJECT
  private:
    QRect screen_;

  private slots:
    void initTestCase()
    {
        screen_ = QGuiApplication::primaryScreen()->availableGeometry();
        QVERIFY(screen_.width() > 300 && screen_.height() > 300);
    }

    void cleanup()
    {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* p = qobject_cast<CPopupWnd*>(w))
                delete p;
    }

    void showPopup_captionTextAndCursor()
    {
        QPointer<CPopupWnd> p = CPopupWnd::ShowPopup("#POPUP:Note \xe9t\xe9", kShort, QPoint(0, 0));
        QVERIFY(p);
        QCOMPARE(p->windowTitle(), QStringLiteral("Note été"));
        QVERIFY(p->isVisible());
        QVERIFY(p->windowFlags() & Qt::Popup);
        QCOMPARE(p->textControl()->toPlainText(), QStringLiteral("Une bulle."));
        QCOMPARE(p->textControl()->geometry(), p->rect());
        QVERIFY(!QApplication::overrideCursor()); // shown again once the pop-up is up
        p->ClosePopup();
        QTRY_VERIFY(!p);

        QPointer<CPopupWnd> empty = CPopupWnd::ShowPopup("", kShort, QPoint(0, 0));
        QCOMPARE(empty->windowTitle(), QString());
        QPointer<CPopupWnd> other = CPopupWnd::ShowPopup("#Autre", kShort, QPoint(0, 0));
        QCOMPARE(other->windowTitle(), QStringLiteral("#Autre"));
    }

    void fitToText_shortTextIsPlacedBelowTheOrigin()
    {
        // Before any link click the point is (0, 0): below it, kept 12 pixels from the edges.
        QPointer<CPopupWnd> p = CPopupWnd::ShowPopup("#POPUP:Note", kShort, QPoint(0, 0));
        QCOMPARE(p->pos(), screen_.topLeft() + QPoint(12, 12));
        // The text decided the size: the widest trial at which it is a third as high as wide.
        const int textWidth = p->width() - 20;
        QVERIFY(textWidth >= 25);
        QCOMPARE((screen_.width() - 25 - textWidth) % 25, 0);
        QTRY_COMPARE(p->textControl()->verticalScrollBar()->maximum(), 0); // the whole text shows
        // Shown at the width it was measured at, so it cannot wrap differently.
        const QTextEdit* text = p->textControl();
        QCOMPARE(text->viewport()->width(), textWidth - 2 * text->frameWidth());
    }

    void fitToText_noBlankBelowTheLastLine()
    {
        // Space after the paragraph and blank paragraphs at the end add nothing to the height.
        QPointer<CPopupWnd> p =
            CPopupWnd::ShowPopup("#POPUP:Note", Rtf("\\sa240 Une bulle.\\par\\par \\par"), QPoint(0, 0));
        const QTextDocument* doc = p->textControl()->document();
        QCOMPARE(doc->blockCount(), 1);
        // The paragraph may wrap at the trial width, depending on the face: measure its last line.
        const QTextLayout* layout = doc->firstBlock().layout();
        QVERIFY(layout->lineCount() >= 1);
        const qreal lastLineBottom =
            layout->position().y() + layout->lineAt(layout->lineCount() - 1).rect().bottom();
        QCOMPARE(p->height(), static_cast<int>(std::ceil(lastLineBottom + doc->documentMargin())) + 30);
        QTRY_COMPARE(p->textControl()->verticalScrollBar()->maximum(), 0);
    }

    void fitToText_longTextStopsAtTheFirstWideTrial()
    {
        QPointer<CPopupWnd> p = CPopupWnd::ShowPopup("#POPUP:Long", LongText(), screen_.center());
        // So much text is a third as high as the widest trial at once.
        QCOMPARE(p->width(), screen_.width() - 25 + 20);
        QVERIFY(p->height() - 30 >= (screen_.width() - 25) / 3);
    }

    void fitToText_drawnObjectsMeasureTheirSize()
    {
        // A text box 200 pixels square (3000 twips) in the line: its handler gives its size, in
        // the measuring copy as in the control.
        const std::string box = Rtf("{\\shp{\\*\\shpinst\\shpleft0\\shptop0\\shpright3000\\shpbottom3000"
                                    "{\\sp{\\sn fPseudoInline}{\\sv 1}}{\\shptxt x}}}\\par");
        QPointer<CPopupWnd> p = CPopupWnd::ShowPopup("#POPUP:Boite", box, QPoint(0, 0));
        QVERIFY2(p->width() - 20 >= 200 && p->height() - 30 >= 200,
                 qPrintable(QStringLiteral("%1 x %2").arg(p->width()).arg(p->height())));
        QTRY_COMPARE(p->textControl()->verticalScrollBar()->maximum(), 0);
    }

    void placeNearPoint_eachRegionAndCentred_data()
    {
        QTest::addColumn<QPoint>("click"); // from the screen's top-left corner
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QPoint>("expected");
        const int R = screen_.width();
        const int B = screen_.height();
        // Fits below: centred on the click, the left edge kept at 12.
        QTest::newRow("below") << QPoint(100, 100) << QSize(120, 60) << QPoint(100 - 60, 112);
        QTest::newRow("below, right edge")
            << QPoint(R - 10, 100) << QSize(120, 60) << QPoint(R - 120 - 12, 112);
        // Near the bottom: left of the point, kept 12 above the bottom edge.
        QTest::newRow("left") << QPoint(R - 50, B - 20) << QSize(120, 200)
                              << QPoint(R - 50 - 120 - 12, B - 200 - 12);
        // Near the left edge, too tall below and too wide on the left: right of the point.
        QTest::newRow("right") << QPoint(5, B / 2) << QSize(200, B - B / 2 + 10)
                               << QPoint(17, B / 2 - (B - B / 2 + 10) / 2);
        // Too wide for both sides, too tall below: above.
        QTest::newRow("above") << QPoint(R / 2, B - 20) << QSize(R / 2 + 10, 100)
                               << QPoint(R / 2 - (R / 2 + 10) / 2, B - 20 - 100 - 12);
        // Fits nowhere: centred on the screen.
        QTest::newRow("centred") << QPoint(R / 2, B / 2) << QSize(R - 40, B - 40) << QPoint(20, 20);
    }

    void placeNearPoint_eachRegionAndCentred()
    {
        QFETCH(QPoint, click);
        QFETCH(QSize, size);
        QFETCH(QPoint, expected);
        auto* p = new CPopupWnd;
        p->CreatePopup("#POPUP:Note", kShort, screen_.topLeft() + click);
        p->resize(size);
        p->PlaceNearPoint();
        p->show();
        QCOMPARE(p->geometry(), QRect(screen_.topLeft() + expected, size));
        QCOMPARE(p->textControl()->geometry(), QRect(QPoint(0, 0), size));
        p->ClosePopup();
    }

    void leftClick_closes_otherButtonsDoNot()
    {
        QPointer<CPopupWnd> p = CPopupWnd::ShowPopup("#POPUP:Note", kShort, QPoint(200, 200));
        QVERIFY(QTest::qWaitForWindowExposed(p));
        QWidget* viewport = p->textControl()->viewport();
        QTest::mouseClick(viewport, Qt::RightButton, {}, viewport->rect().center());
        QVERIFY(p && p->isVisible());
        QTest::mouseClick(viewport, Qt::LeftButton, {}, viewport->rect().center());
        QTRY_VERIFY(!p);
    }

    void doubleClickOnTheLink_leavesThePopupOpen()
    {
        // The first click of a double click on the link opened the pop-up; the second lands on
        // the same spot and must not close it. A click elsewhere still does.
        const QPoint link(200, 200);
        QPointer<CPopupWnd> p = CPopupWnd::ShowPopup("#POPUP:Note", kShort, link);
        QVERIFY(QTest::qWaitForWindowExposed(p));
        QTest::mouseDClick(p->windowHandle(), Qt::LeftButton, {}, p->mapFromGlobal(link));
        QTest::qWait(0);
        QVERIFY(p && p->isVisible());
        QTest::mouseClick(p->windowHandle(), Qt::LeftButton, {}, p->rect().center());
        QTRY_VERIFY(!p);
    }

    void keyPress_closes()
    {
        QWidget main;
        main.resize(300, 200);
        main.show();
        QVERIFY(QTest::qWaitForWindowActive(&main));
        QPointer<CPopupWnd> p = CPopupWnd::ShowPopup("#POPUP:Note", kShort, QPoint(200, 200), &main);
        QVERIFY(QTest::qWaitForWindowExposed(p));
        QCOMPARE(QApplication::activePopupWidget(), p.data());
        QTest::keyClick(main.windowHandle(), Qt::Key_A); // the pop-up takes the keyboard while it is open
        QTRY_VERIFY(!p);
        QVERIFY(!QApplication::activePopupWidget());
        QVERIFY(main.isVisible()); // only the pop-up went away
    }

    void focusGoingElsewhere_closes()
    {
        QWidget main;
        main.resize(300, 200);
        main.show();
        QVERIFY(QTest::qWaitForWindowActive(&main));
        QPointer<CPopupWnd> p = CPopupWnd::ShowPopup("#POPUP:Note", kShort, QPoint(200, 200), &main);
        QVERIFY(QTest::qWaitForWindowExposed(p));
        QWidget other;
        other.resize(200, 100);
        other.show();
        other.activateWindow();
        QTRY_VERIFY(!p);
    }
};

QTEST_MAIN(PopupWndTest)
#include "popup_wnd_test.moc"
