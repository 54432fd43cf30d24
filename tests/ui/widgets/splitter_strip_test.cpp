// Dragging the two strips in a frame with a bar on the left (the tree bar) and a bar at the
// bottom built on the same base as the annotation bar: the outline, its limits, the value
// on release, the minimum sizes; and the bars' base, fixing its size across the dock.

#define QTEST_QPA_MOUSE_HANDLING // mouse events go through the window, as a user's would

#include "core/view/bar_geometry.h"
#include "ui/tree/tree_bar.h"
#include "ui/widgets/dlg_bar.h"
#include "ui/widgets/splitter_strip.h"

#include <QLayout>
#include <QMainWindow>
#include <QMessageBox>
#include <QRubberBand>
#include <QTextEdit>
#include <QtTest>

using namespace mirelda::ui;

namespace {

// A bar docked at the bottom whose height is its strip's value, at least 46 pixels: what
// the annotation bar does with its strip.
class BottomBar : public CDlgBar
{
  public:
    CSplitterStrip* strip = nullptr;
    int applied = 0;

    bool Create(QMainWindow* frame)
    {
        if (!CDlgBar::Create(frame, Qt::BottomDockWidgetArea, QSize(300, 46)))
            return false;
        strip = CSplitterStrip::Create(client(), this, 104, mirelda::StripOrientation::Horizontal,
                                       mirelda::bars::kInitialAnnotationHeight);
        return strip != nullptr;
    }
    void ApplyStripValue() override
    {
        ++applied;
        SetDockedSize(QSize(frame()->width(), mirelda::AnnotationBarHeight(strip->value())));
    }

  protected:
    void ClientResized(QSize) override
    {
        if (strip)
            strip->Reposition();
    }
};

struct Frame
{
    mirelda::HelpContents contents; // outlives the bar, which the window owns
    QMainWindow window;
    CTreeBar* tree = nullptr;
    BottomBar* bottom = nullptr;
    int layouts = 0;

    Frame()
    {
        window.setCentralWidget(new QTextEdit(&window));
        tree = new CTreeBar(contents, &window);
        tree->Create(&window);
        window.addDockWidget(Qt::LeftDockWidgetArea, tree);
        bottom = new BottomBar;
        bottom->setParent(&window);
        bottom->Create(&window);
        window.addDockWidget(Qt::BottomDockWidgetArea, bottom);
        bottom->SetFrameLayout([this] {
            ++layouts;
            window.layout()->activate();
        });
        window.resize(800, 600);
        tree->ApplyWidth();
        bottom->ApplyStripValue();
    }
    QPoint origin() const { return window.mapToGlobal(QPoint(0, 0)); }
};

QPoint Centre(const QWidget* w)
{
    return w->rect().center();
}

// A point given in the frame's coordinates, in those of `w`.
QPoint At(const QWidget* w, const QMainWindow& frame, QPoint inFrame)
{
    return w->mapFromGlobal(frame.mapToGlobal(inFrame));
}

} // namespace

class SplitterStripTest : public QObject
{
    Q_OBJECT
  private slots:
    void verticalStrip_outlineClamped_valueOnRelease()
    {
        Frame f;
        f.window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f.window));
        QTRY_COMPARE(f.tree->width(), 200);
        CSplitterStrip* strip = f.tree->strip();
        QCOMPARE(strip->geometry(), QRect(f.tree->client()->width() - 6, 0, 4, f.tree->client()->height()));

        QTest::mousePress(strip, Qt::LeftButton, {}, Centre(strip));
        QVERIFY(strip->tracking());
        auto* outline = f.window.findChild<QRubberBand*>(QStringLiteral("stripOutline"));
        QVERIFY(outline && outline->isVisible());

        // Far past the frame's left edge: the outline stops one pixel inside the client area.
        QTest::mouseMove(strip, At(strip, f.window, QPoint(-80, 300)));
        const QRect barOnScreen(f.tree->mapToGlobal(QPoint(0, 0)), f.tree->size());
        QCOMPARE(strip->outlineOnScreen(),
                 QRect(f.origin().x(), barOnScreen.top(), 4, barOnScreen.height() - 2));
        QCOMPARE(QRect(f.window.mapToGlobal(outline->pos()), outline->size()), strip->outlineOnScreen());
        // And past the right edge: one pixel inside on that side.
        QTest::mouseMove(strip, At(strip, f.window, QPoint(900, 300)));
        QCOMPARE(strip->outlineOnScreen().left(), f.origin().x() + 799 - 1);
        QCOMPARE(f.tree->width(), 200); // nothing is resized while dragging

        // Released in the middle of the frame: half of its width.
        QTest::mouseRelease(strip, Qt::LeftButton, {}, At(strip, f.window, QPoint(400, 300)));
        QVERIFY(!strip->tracking());
        QVERIFY(!outline->isVisible());
        QCOMPARE(strip->value(), 0.5f);
        QTRY_COMPARE(f.tree->width(), 400);

        // Dragged to the frame's left edge: the narrowest bar.
        QTest::mousePress(strip, Qt::LeftButton, {}, Centre(strip));
        QTest::mouseMove(strip, At(strip, f.window, QPoint(100, 300)));
        QTest::mouseRelease(strip, Qt::LeftButton, {}, At(strip, f.window, QPoint(-30, 300)));
        QCOMPARE(strip->value(), 1.0f / 800.0f);
        QTRY_COMPARE(f.tree->width(), 10);
    }

    void drag_cancelledWhenABoxTakesTheMouse()
    {
        Frame f;
        f.window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f.window));
        QTRY_COMPARE(f.tree->width(), 200);
        CSplitterStrip* strip = f.tree->strip();
        const float before = strip->value();
        QTest::mousePress(strip, Qt::LeftButton, {}, Centre(strip));
        QTest::mouseMove(strip, At(strip, f.window, QPoint(400, 300)));
        auto* outline = f.window.findChild<QRubberBand*>(QStringLiteral("stripOutline"));
        QVERIFY(outline && outline->isVisible());

        // A second start's message opens mid-drag; the release then goes to the box.
        QMessageBox box(QMessageBox::Warning, QStringLiteral("KEL"), QStringLiteral("message"),
                        QMessageBox::Ok, &f.window);
        QTimer::singleShot(0, &box, &QDialog::accept);
        box.exec();
        QVERIFY(!strip->tracking());
        QVERIFY(!outline->isVisible());
        QTest::mouseRelease(strip, Qt::LeftButton, {}, At(strip, f.window, QPoint(400, 300)));
        QCOMPARE(strip->value(), before);
        QCOMPARE(f.tree->width(), 200);
    }

    void verticalStrip_releaseWithoutMove_appliesTheReleasePoint()
    {
        Frame f;
        f.window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f.window));
        QTRY_COMPARE(f.tree->width(), 200);
        CSplitterStrip* strip = f.tree->strip();
        const QPoint press = Centre(strip);
        const int xInFrame = f.window.mapFromGlobal(strip->mapToGlobal(press)).x();
        QTest::mouseClick(strip, Qt::LeftButton, {}, press);
        QCOMPARE(strip->value(), static_cast<float>(xInFrame) / 800.0f);
        QTRY_COMPARE(f.tree->width(), xInFrame);
        // A release that did not follow a press on the strip changes nothing.
        QTest::mouseRelease(strip, Qt::LeftButton, {}, press + QPoint(0, 0));
        QCOMPARE(strip->value(), static_cast<float>(xInFrame) / 800.0f);
    }

    void horizontalStrip_limitsAndMinimumHeight()
    {
        Frame f;
        f.window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f.window));
        QTRY_COMPARE(f.bottom->height(), 46);
        CSplitterStrip* strip = f.bottom->strip;
        QCOMPARE(strip->cursor().shape(), Qt::SplitVCursor);
        QCOMPARE(strip->geometry(), QRect(0, 1, f.bottom->client()->width(), 4));

        const QRect bottomOnScreen(f.bottom->mapToGlobal(QPoint(0, 0)), f.bottom->size());
        const int treeTop = f.tree->mapToGlobal(QPoint(0, 0)).y();
        const int bottomEdge = bottomOnScreen.top() + bottomOnScreen.height();
        QTest::mousePress(strip, Qt::LeftButton, {}, Centre(strip));
        QTest::mouseMove(strip, strip->mapFromGlobal(QPoint(bottomOnScreen.left() + 50, treeTop - 100)));
        QCOMPARE(strip->outlineOnScreen(),
                 QRect(bottomOnScreen.left(), treeTop + 1 - 1, bottomOnScreen.width() - 2, 4));
        QTest::mouseMove(strip, strip->mapFromGlobal(QPoint(bottomOnScreen.left() + 50, bottomEdge + 100)));
        QCOMPARE(strip->outlineOnScreen().top(), bottomEdge - 1 - 1);
        QCOMPARE(f.bottom->applied, 1); // only the set-up so far

        // Released 150 pixels above the bar's bottom edge: a 150-pixel bar, laid out once.
        QTest::mouseRelease(strip, Qt::LeftButton, {},
                            strip->mapFromGlobal(QPoint(bottomOnScreen.left() + 50, bottomEdge - 150)));
        QCOMPARE(strip->value(), 150.0f);
        QCOMPARE(f.bottom->applied, 2);
        QCOMPARE(f.layouts, 1);
        QTRY_COMPARE(f.bottom->height(), 150);

        // Dragged down below its minimum: 46 pixels.
        const int newBottom = f.bottom->mapToGlobal(QPoint(0, f.bottom->height())).y();
        QTest::mousePress(strip, Qt::LeftButton, {}, Centre(strip));
        QTest::mouseRelease(strip, Qt::LeftButton, {},
                            strip->mapFromGlobal(QPoint(bottomOnScreen.left() + 50, newBottom - 10)));
        QCOMPARE(strip->value(), 10.0f);
        QTRY_COMPARE(f.bottom->height(), 46);
    }

    void strip_paintsAFaceWithAWhiteLine()
    {
        Frame f;
        f.window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f.window));
        CSplitterStrip* strip = f.tree->strip();
        const QImage image = strip->grab().toImage();
        QCOMPARE(image.pixelColor(1, 10), QColor(Qt::white));
        QCOMPARE(image.pixelColor(2, 10), strip->palette().color(QPalette::Button));
    }

    void dlgBar_dockedSizeFixesOnlyTheDimensionAcrossItsSide()
    {
        Frame f;
        f.bottom->SetDockedSize(QSize(200, 120));
        QCOMPARE(f.bottom->dockedSize(), QSize(200, 120));
        QCOMPARE(f.bottom->minimumHeight(), 120);
        QCOMPARE(f.bottom->maximumHeight(), 120);
        QCOMPARE(f.bottom->minimumWidth(), 0);
        QCOMPARE(f.bottom->maximumWidth(), QWIDGETSIZE_MAX);
        f.tree->SetDockedSize(QSize(150, 90));
        QCOMPARE(f.tree->minimumWidth(), 150);
        QCOMPARE(f.tree->maximumWidth(), 150);
        QCOMPARE(f.tree->minimumHeight(), 0);
        QCOMPARE(f.tree->maximumHeight(), QWIDGETSIZE_MAX);
    }

    void create_withoutParentFails()
    {
        Frame f;
        QVERIFY(!CSplitterStrip::Create(nullptr, f.tree, 104, mirelda::StripOrientation::Vertical, 0.25f));
        QVERIFY(!CSplitterStrip::Create(f.tree->client(), nullptr, 104, mirelda::StripOrientation::Vertical,
                                        0.25f));
    }
};

QTEST_MAIN(SplitterStripTest)
#include "splitter_strip_test.moc"
