// The annotation bar in a frame of its own: its sizes and the strip's floor, the edit that
// keeps only Windows-1252 characters, the store behind it (line ends, bytes, recovery), and
// what the user is told when the files cannot be written.

#define QTEST_QPA_MOUSE_HANDLING // mouse events go through the window, as a user's would

#include "ui/notes/annotation_bar.h"
#include "ui/notes/annotation_edit.h"

#include "tests/support/qt_files.h"

#include <QClipboard>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QMainWindow>
#include <QMimeData>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QtTest>

#include <fstream>
#include <memory>

using namespace mirelda::ui;

namespace {

using mirelda::test::FsPath;
using mirelda::test::ReadFile;

// The bar docked at the bottom of a plain main window, recording what it says.
struct Frame
{
    QMainWindow window;
    std::unique_ptr<mirelda::HelpSession> session; // outlives the bar
    std::unique_ptr<CAnnotationBar> bar;
    QStringList messages;
    QStringList statuses;

    explicit Frame(const QString& folder)
    {
        window.setCentralWidget(new QTextEdit(&window));
        mirelda::UserFiles files;
        files.annotations = FsPath(folder + QStringLiteral("/GUIDE.NOT"));
        files.scratch = FsPath(folder + QStringLiteral("/GUIDE.NO$"));
        files.folder = FsPath(folder);
        session =
            std::make_unique<mirelda::HelpSession>(mirelda::StartOptions{}, mirelda::HelpSetFiles{}, files);
        bar = std::make_unique<CAnnotationBar>(*session, &window);
        QObject::connect(bar.get(), &CAnnotationBar::messageRequested,
                         [this](const QString& t) { messages << t; });
        QObject::connect(bar.get(), &CAnnotationBar::statusRequested,
                         [this](const QString& t) { statuses << t; });
        if (bar->Create(&window))
            window.addDockWidget(Qt::BottomDockWidgetArea, bar.get());
        bar->ReportLoad(session->OpenUserFiles().annotations);
        window.setCorner(Qt::BottomLeftCorner, Qt::BottomDockWidgetArea);
        window.resize(600, 400);
    }

    bool Show()
    {
        window.show();
        return QTest::qWaitForWindowExposed(&window);
    }

    // One key press per character, as a keyboard layout that has it would send; a pair of
    // surrogates is one character.
    void Type(const QString& text)
    {
        bar->edit()->setFocus();
        for (qsizetype i = 0; i < text.size(); ++i) {
            const qsizetype n = text.at(i).isHighSurrogate() ? 2 : 1;
            QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, text.mid(i, n));
            QApplication::sendEvent(bar->edit(), &press);
            i += n - 1;
        }
    }
};

} // namespace

class AnnotationBarTest : public QObject
{
    Q_OBJECT
  private:
    QTemporaryDir dir_;
    int folders_ = 0;

    QString NewFolder()
    {
        const QString folder = dir_.filePath(QStringLiteral("f%1").arg(++folders_));
        QDir().mkpath(folder);
        return folder;
    }

  private slots:
    void initTestCase() { QVERIFY(dir_.isValid()); }

    void create_controlsAndMinimumHeight()
    {
        Frame f(NewFolder());
        QVERIFY(f.Show());
        QCOMPARE(f.bar->objectName(), QStringLiteral("annotationBar"));
        QCOMPARE(f.bar->edit()->objectName(), QStringLiteral("annotationEdit"));
        QVERIFY(!f.bar->icon()->pixmap().isNull());
        QCOMPARE(f.bar->icon()->pixmap().deviceIndependentSize().toSize(), QSize(32, 32));
        QVERIFY(f.bar->strip());
        QCOMPARE(f.bar->strip()->orientation(), mirelda::StripOrientation::Horizontal);
        QCOMPARE(f.bar->strip()->id(), 104);
        QVERIFY(f.messages.isEmpty());
        QVERIFY(f.statuses.isEmpty()); // nothing saved, nothing to take back
        // 46 pixels high, and the strip's value follows the bar.
        QTRY_COMPARE(f.bar->height(), 46);
        QCOMPARE(f.bar->strip()->value(), 46.0f);
        QCOMPARE(f.bar->width(), f.window.width());
        QCOMPARE(f.bar->strip()->geometry(), QRect(0, 1, f.bar->client()->width(), 4));
        QVERIFY(f.bar->IsEmpty());
        // No article yet: nothing can be typed that would belong to none.
        f.Type(QStringLiteral("perdu"));
        QVERIFY(f.bar->IsEmpty());
        f.bar->ShowAnnotation(3);
        f.Type(QStringLiteral("gard\u00e9"));
        QCOMPARE(f.bar->edit()->toPlainText(), QStringLiteral("gardé"));
    }

    void editGeometry_leftOffset40_in600x60()
    {
        Frame f(NewFolder());
        QVERIFY(f.Show());
        f.bar->edit()->move(40, f.bar->edit()->y());
        f.bar->client()->resize(600, 60);
        QCOMPARE(f.bar->edit()->geometry(), QRect(40, 5, 558, 53));
        // A taller bar through the strip: the edit follows, 2 pixels from the bottom.
        f.bar->strip()->setValue(120.0f);
        f.bar->ApplyHeight();
        QTRY_COMPARE(f.bar->height(), 120);
        QTRY_COMPARE(f.bar->edit()->geometry().bottom() + 1, f.bar->client()->height() - 2);
        QCOMPARE(f.bar->edit()->x(), 40);
        QCOMPARE(f.bar->strip()->value(), 120.0f);
    }

    void stripDrag_neverBelow46_andUpGrows()
    {
        Frame f(NewFolder());
        QVERIFY(f.Show());
        QTRY_COMPARE(f.bar->height(), 46);
        CSplitterStrip* strip = f.bar->strip();
        auto drag = [&](int dy) {
            const QPoint at(strip->width() / 2, 2);
            QTest::mousePress(strip, Qt::LeftButton, {}, at);
            QTest::mouseMove(strip, at + QPoint(0, dy));
            QTest::mouseRelease(strip, Qt::LeftButton, {}, at + QPoint(0, dy));
        };
        drag(-100); // up: a taller bar, the view gives way
        QTRY_VERIFY(f.bar->height() > 130);
        const int tall = f.bar->height();
        QVERIFY(f.window.centralWidget()->height() + tall <= f.window.height());
        drag(tall - 10); // down to 10 pixels from the bottom: the floor holds
        QTRY_COMPARE(f.bar->height(), 46);
        f.bar->strip()->setValue(3.0f);
        f.bar->ApplyHeight();
        QTRY_COMPARE(f.bar->height(), 46);
    }

    void storeAndShow_typedTextReadBackAfterAnotherArticle()
    {
        const QString folder = NewFolder();
        Frame f(folder);
        QVERIFY(f.Show());
        QVERIFY(!f.bar->ShowAnnotation(12));
        QSignalSpy changed(f.bar.get(), &CAnnotationBar::textChanged);
        f.Type(QStringLiteral("Ligne un"));
        QVERIFY(changed.count() > 0);
        QVERIFY(!f.bar->IsEmpty());
        QTest::keyClick(f.bar->edit(), Qt::Key_Return);
        f.Type(QStringLiteral("été\u00a0€"));
        QVERIFY(f.bar->StoreAnnotation(12));
        QVERIFY(!f.bar->ShowAnnotation(30));
        QVERIFY(f.bar->IsEmpty());
        QVERIFY(f.bar->StoreAnnotation(30)); // unchanged: nothing appended
        QVERIFY(f.bar->ShowAnnotation(12));
        QCOMPARE(f.bar->edit()->toPlainText().left(9), QStringLiteral("Ligne un\n"));
        QCOMPARE(f.bar->edit()->document()->toRawText(), QStringLiteral("Ligne un\u2029été\u00a0€"));

        QVERIFY(f.bar->SaveAnnotations());
        QVERIFY(!QFile::exists(folder + QStringLiteral("/GUIDE.NO$")));
        // One record: article 12, CR LF between the lines, Windows-1252 bytes (no-break
        // space kept as 0xA0, euro as 0x80).
        const QByteArray text("Ligne un\r\n\xe9t\xe9\xa0\x80");
        QByteArray expected;
        expected.append("\x01\x00\x00\x00\x0c\x00\x00\x00", 8);
        expected.append(char(text.size())).append(3, '\0').append(text);
        QCOMPARE(ReadFile(folder + QStringLiteral("/GUIDE.NOT")), expected);
    }

    void edit_refusesCharactersWithoutAByte()
    {
        Frame f(NewFolder());
        QVERIFY(f.Show());
        f.bar->ShowAnnotation(3);
        f.Type(QStringLiteral("aΩ€\U0001F600b"));
        QCOMPARE(f.bar->edit()->toPlainText(), QStringLiteral("a€b"));
        // Pasted text comes in with "?" for each such character, a pair of surrogates
        // being one character.
        QMimeData pasted;
        pasted.setText(QStringLiteral("xΩy\U0001F600z"));
        f.bar->edit()->moveCursor(QTextCursor::End);
        f.bar->edit()->insertPlainText(QString());
        QApplication::clipboard()->setMimeData(new QMimeData);
        QApplication::clipboard()->setText(pasted.text());
        f.bar->edit()->paste();
        QCOMPARE(f.bar->edit()->toPlainText(), QStringLiteral("a€bx?y?z"));
        QCOMPARE(f.bar->edit()->TextCp1252(), std::string("a\x80"
                                                          "bx?y?z"));
        QVERIFY(CAnnotationEdit::Representable(QStringLiteral("àÿŒ\u0081\u2028")));
        QVERIFY(!CAnnotationEdit::Representable(QStringLiteral("ā")));
    }

    void restartAfterCrash_takesChangesBack()
    {
        const QString folder = NewFolder();
        {
            Frame f(folder);
            f.bar->ShowAnnotation(12);
            f.bar->edit()->setPlainText(QStringLiteral("gardée"));
            QVERIFY(f.bar->StoreAnnotation(12));
            // No save: the run ends as if killed, .NO$ stays.
        }
        QVERIFY(QFile::exists(folder + QStringLiteral("/GUIDE.NO$")));
        Frame f(folder);
        QCOMPARE(f.statuses.size(), 1);
        QVERIFY2(f.statuses.first().contains(QStringLiteral("reprise")), qPrintable(f.statuses.first()));
        QVERIFY(f.bar->ShowAnnotation(12));
        QCOMPARE(f.bar->edit()->toPlainText(), QStringLiteral("gardée"));
    }

    void saveFails_whenNotIsAFolder_changesKeptInScratch()
    {
        // Tests run as root, where folder permissions do not stop writes: a folder where
        // GUIDE.NOT should be makes the rename over it fail instead.
        const QString folder = NewFolder();
        QVERIFY(QDir().mkpath(folder + QStringLiteral("/GUIDE.NOT")));
        Frame f(folder);
        f.bar->ShowAnnotation(12);
        f.bar->edit()->setPlainText(QStringLiteral("note"));
        QVERIFY(f.bar->StoreAnnotation(12));
        QVERIFY(!f.bar->SaveAnnotations());
        // Said at start (something is there that cannot be read), then at the save.
        QCOMPARE(f.messages.size(), 2);
        QVERIFY(f.messages.first().startsWith(QStringLiteral("Impossible de lire le fichier d'annotations")));
        const QString m = f.messages.last();
        QVERIFY2(m.startsWith(QStringLiteral("Impossible d'enregistrer les annotations dans « ") + folder +
                              QStringLiteral("/GUIDE.NOT ».")),
                 qPrintable(m));
        QVERIFY2(m.contains(QStringLiteral("restent dans « ") + folder + QStringLiteral("/GUIDE.NO$ »")),
                 qPrintable(m));
        QVERIFY(!m.contains(QStringLiteral("perdue")));
        QVERIFY(ReadFile(folder + QStringLiteral("/GUIDE.NO$")).contains("note"));
    }

    void scratchFails_textKeptInMemory_thenLostOnlyIfSaveFails()
    {
        // .NO$ a folder that holds a file: it cannot be removed at start nor appended to.
        const QString folder = NewFolder();
        QVERIFY(QDir().mkpath(folder + QStringLiteral("/GUIDE.NO$")));
        QFile keep(folder + QStringLiteral("/GUIDE.NO$/keep"));
        QVERIFY(keep.open(QIODevice::WriteOnly));
        keep.close();
        {
            Frame f(folder);
            QCOMPARE(f.messages.size(), 1); // told once in a box, at start...
            QVERIFY2(f.messages.first().contains(QStringLiteral("gardées en mémoire")),
                     qPrintable(f.messages.first()));
            f.bar->ShowAnnotation(12);
            f.bar->edit()->setPlainText(QStringLiteral("douze"));
            QVERIFY(!f.bar->StoreAnnotation(12));
            QVERIFY(!f.bar->ShowAnnotation(30));
            f.bar->edit()->setPlainText(QStringLiteral("trente"));
            QVERIFY(!f.bar->StoreAnnotation(30));
            QCOMPARE(f.messages.size(), 1); // ...then in the status bar
            QCOMPARE(f.statuses.size(), 2);
            QVERIFY(f.bar->ShowAnnotation(12)); // still there, from memory
            QCOMPARE(f.bar->edit()->toPlainText(), QStringLiteral("douze"));
            // .NOT can be written: the texts held in memory reach it.
            QVERIFY(f.bar->SaveAnnotations());
        }
        Frame again(folder);
        QVERIFY(again.bar->ShowAnnotation(30));
        QCOMPARE(again.bar->edit()->toPlainText(), QStringLiteral("trente"));

        // Now neither file can be written: the message names what is lost.
        QVERIFY(QFile::remove(folder + QStringLiteral("/GUIDE.NOT")));
        QVERIFY(QDir().mkpath(folder + QStringLiteral("/GUIDE.NOT")));
        Frame f(folder);
        for (const int article : {41, 7}) {
            f.bar->ShowAnnotation(article);
            f.bar->edit()->setPlainText(QStringLiteral("x"));
            QVERIFY(!f.bar->StoreAnnotation(article));
        }
        QVERIFY(!f.bar->SaveAnnotations());
        QCOMPARE(f.messages.size(), 3); // the unreadable .NOT at start, .NO$ once, the save
        QVERIFY2(f.messages.last().contains(QStringLiteral("articles 7 et 41")),
                 qPrintable(f.messages.last()));
        QVERIFY(f.messages.last().contains(QStringLiteral("perdues")));
    }
};

QTEST_MAIN(AnnotationBarTest)
#include "annotation_bar_test.moc"
