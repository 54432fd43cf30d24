// The tree bar and the pop-up window inside the real viewer: the strip dragged in the frame,
// the fraction kept when the frame is resized, and a pop-up article opened through the view.

#define QTEST_QPA_MOUSE_HANDLING // mouse events go through the window, as a user's would

#include "tests/support/app_harness.h"

#include "ui/app/main_frame.h"
#include "ui/tree/tree_bar.h"
#include "ui/view/mirelda_view.h"
#include "ui/view/popup_wnd.h"

#include <QPointer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTreeView>

using apptest::InProcessViewer;

class TreeInFrameTest : public QObject
{
    Q_OBJECT
  private:
    QTemporaryDir root_;
    QString base_;

  private slots:
    void initTestCase()
    {
        QVERIFY(root_.isValid());
        apptest::IsolateUserFolders(root_.path());
        base_ = apptest::WriteHelpSet(root_.path() + QStringLiteral("/set"), QStringLiteral("MILDA"));
        QVERIFY(!base_.isEmpty());
    }

    void strip_dragThenResize_keepsTheFraction()
    {
        InProcessViewer viewer({QStringLiteral("/D:") + base_});
        QVERIFY(viewer.app->InitInstance());
        CMainFrame* frame = viewer.app->mainFrame();
        QVERIFY(QTest::qWaitForWindowExposed(frame));
        QTRY_VERIFY(frame->helpSetLoaded());
        CTreeBar* bar = frame->treeBar();
        QTRY_COMPARE(bar->width(), frame->width() / 4);
        QTRY_VERIFY(bar->treeLoaded());
        QCOMPARE(bar->model()->rowCount(), 1);

        CSplitterStrip* strip = bar->strip();
        const int middle = frame->width() / 2;
        QTest::mousePress(strip, Qt::LeftButton, {}, strip->rect().center());
        QTest::mouseMove(strip, strip->mapFromGlobal(frame->mapToGlobal(QPoint(middle - 40, 200))));
        QTest::mouseMove(strip, strip->mapFromGlobal(frame->mapToGlobal(QPoint(middle, 200))));
        QCOMPARE(bar->width(), frame->width() / 4); // resized on release only
        QTest::mouseRelease(strip, Qt::LeftButton, {},
                            strip->mapFromGlobal(frame->mapToGlobal(QPoint(middle, 200))));
        QCOMPARE(strip->value(), 0.5f);
        QTRY_COMPARE(bar->width(), middle);
        // The view took the rest of the width.
        QVERIFY(frame->view()->geometry().left() >= bar->geometry().right());

        frame->resize(1000, 700);
        QTRY_COMPARE(bar->width(), 500);
        frame->resize(600, 500);
        QTRY_COMPARE(bar->width(), 300);
    }

    void popupArticle_opensAPopupAndLeavesTheViewAlone()
    {
        InProcessViewer viewer({QStringLiteral("/D:") + base_});
        QVERIFY(viewer.app->InitInstance());
        CMainFrame* frame = viewer.app->mainFrame();
        QVERIFY(QTest::qWaitForWindowExposed(frame));
        QTRY_VERIFY(frame->helpSetLoaded());
        const QString caption = frame->windowTitle();

        // Reached without a link click (from the tree, say): the click point is (0, 0).
        QVERIFY(viewer.app->GoToArticle(9, 0));
        QPointer<CPopupWnd> popup = qobject_cast<CPopupWnd*>(QApplication::activePopupWidget());
        QVERIFY(popup);
        QCOMPARE(popup->windowTitle(), QStringLiteral("Glossaire"));
        QCOMPARE(popup->textControl()->toPlainText(), QStringLiteral("Une bulle."));
        const QRect screen = frame->screen()->availableGeometry();
        QCOMPARE(popup->pos(), screen.topLeft() + QPoint(12, 12));
        QCOMPARE(frame->view()->currentArticle(), 1);
        QCOMPARE(frame->windowTitle(), caption);

        QTest::mouseClick(popup->textControl()->viewport(), Qt::LeftButton);
        QTRY_VERIFY(!popup);
        QVERIFY(!QApplication::activePopupWidget());
    }
};

QTEST_MAIN(TreeInFrameTest)
#include "tree_in_frame.moc"
