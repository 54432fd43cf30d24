// The tree bar and the pop-up window inside the real viewer: the strip dragged in the frame,
// the fraction kept when the frame is resized, a pop-up article opened through the view, and
// the title filter above the tree.

#define QTEST_QPA_MOUSE_HANDLING // mouse events go through the window, as a user's would

#include "tests/support/app_harness.h"

#include "ui/app/main_frame.h"
#include "ui/tree/title_filter_box.h"
#include "ui/tree/tree_bar.h"
#include "ui/view/mirelda_view.h"
#include "ui/view/popup_wnd.h"

#include <QListView>
#include <QPointer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTreeView>

using namespace mirelda::ui;

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
        base_ = apptest::IsolatedHelpSet(root_, QStringLiteral("MILDA"));
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

    void titleFilter_listsTitlesInsteadOfTheTree_andEscapeGivesItBack()
    {
        InProcessViewer viewer({QStringLiteral("/D:") + base_});
        QVERIFY(viewer.app->InitInstance());
        CMainFrame* frame = viewer.app->mainFrame();
        QVERIFY(QTest::qWaitForWindowExposed(frame));
        QTRY_VERIFY(frame->helpSetLoaded());
        CTreeBar* bar = frame->findChild<CTreeBar*>();
        QVERIFY(bar);
        CTitleFilterBox* box = bar->titleFilter();
        QTRY_VERIFY(box->ready()); // built in the background once the first article is shown
        QTreeView* tree = bar->tree();
        QTRY_VERIFY(bar->treeLoaded());
        tree->expandAll();
        tree->setCurrentIndex(tree->model()->index(0, 0));
        const QModelIndex current = tree->currentIndex();
        const auto listed = [box] {
            QStringList titles;
            QAbstractItemModel* model = box->results()->model();
            for (int row = 0; row < model->rowCount(); ++row)
                titles << model->index(row, 0).data().toString();
            return titles;
        };

        // "/" in the tree, then typing: the list stands in for the tree.
        tree->setFocus();
        QTest::keyClick(tree, '/');
        QVERIFY(box->hasFocus());
        QTest::keyClicks(box, QStringLiteral("art"));
        QVERIFY(box->results()->isVisible());
        QVERIFY(!tree->isVisible());
        QCOMPARE(listed(), (QStringList{QStringLiteral("Article 2"), QStringLiteral("Article 3"),
                                        QStringLiteral("Article 4"), QStringLiteral("Article long")}));
        QTest::keyClicks(box, QStringLiteral(" ong"));
        QCOMPARE(listed(), QStringList{QStringLiteral("Article long")});
        // Accents and case ignored; pop-ups listed and marked.
        box->setText(QStringLiteral("GENERAL"));
        QCOMPARE(listed(), QStringList{QStringLiteral("Généralités")});
        box->setText(QStringLiteral("gloss"));
        QCOMPARE(listed(), QStringList{QStringLiteral("Glossaire")});
        QVERIFY(box->results()->model()->index(0, 0).data(Qt::FontRole).value<QFont>().italic());

        // Enter opens the chosen title's article; Down chooses the next one.
        box->setText(QStringLiteral("article"));
        QTest::keyClick(box, Qt::Key_Down);
        QTest::keyClick(box, Qt::Key_Return);
        QCOMPARE(frame->view()->currentArticle(), 3);

        // Escape: the box emptied, the tree back as it was, with the focus.
        QTest::keyClick(box, Qt::Key_Escape);
        QVERIFY(box->text().isEmpty());
        QVERIFY(!box->results()->isVisible());
        QVERIFY(tree->isVisible());
        QVERIFY(tree->hasFocus());
        QCOMPARE(tree->currentIndex(), current);
        QVERIFY(tree->isExpanded(current));

        // Ctrl+K from the article view.
        frame->view()->setFocus();
        QTest::keyClick(frame, Qt::Key_K, Qt::ControlModifier);
        QVERIFY(box->hasFocus());
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
#include "tree_in_frame_test.moc"
