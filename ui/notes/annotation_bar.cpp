#include "ui/notes/annotation_bar.h"

#include "core/view/bar_geometry.h"
#include "ui/notes/annotation_edit.h"
#include "ui/widgets/dialog_units.h"
#include "ui/widgets/qt_path.h"

#include <QIcon>
#include <QLabel>
#include <QMainWindow>
#include <QTimer>

#include <filesystem>
#include <set>

namespace mirelda::ui {

namespace {

constexpr int kIconSize = 32;

// "12", "12 et 30", "12, 30 et 41".
QString ArticleList(const std::set<std::int32_t>& articles)
{
    QStringList numbers;
    for (const std::int32_t article : articles)
        numbers << QString::number(article);
    if (numbers.size() == 1)
        return numbers.first();
    const QString last = numbers.takeLast();
    return numbers.join(QStringLiteral(", ")) + QStringLiteral(" et ") + last;
}

} // namespace

CAnnotationBar::CAnnotationBar(mirelda::HelpSession& session, QWidget* parent)
    : CDlgBar(parent), session_(session)
{
    setObjectName(QStringLiteral("annotationBar"));
    session_.AddObserver(*this);
}

CAnnotationBar::~CAnnotationBar()
{
    session_.SetAnnotationDraftSource(nullptr); // the session takes the text typed last
    session_.RemoveObserver(*this);
}

bool CAnnotationBar::Create(QMainWindow* frame)
{
    const DialogUnits du;
    if (!CDlgBar::Create(frame, Qt::BottomDockWidgetArea, du.Size(186, 33)))
        return false;

    icon_ = new QLabel(client());
    icon_->setObjectName(QStringLiteral("annotationIcon"));
    QIcon picture;
    picture.addFile(QStringLiteral(":/icons/annotation_bar.png"), QSize(kIconSize, kIconSize));
    picture.addFile(QStringLiteral(":/icons/annotation_bar@2x.png"), QSize(2 * kIconSize, 2 * kIconSize));
    icon_->setPixmap(picture.pixmap(QSize(kIconSize, kIconSize), devicePixelRatioF()));
    icon_->setGeometry(QRect(du.Point(3, 4), QSize(kIconSize, kIconSize)));

    edit_ = new CAnnotationEdit(client());
    edit_->setGeometry(du.Rect(28, 1, 69, 24));
    // The session keeps what is typed, and stores it when another article is shown; it asks
    // the edit for the text only then.
    session_.SetAnnotationDraftSource([this] { return edit_->TextCp1252(); });
    connect(edit_, &QPlainTextEdit::textChanged, this, [this] { session_.AnnotationDraftChanged(); });
    connect(edit_, &QPlainTextEdit::textChanged, this, &CAnnotationBar::textChanged);
    idleWrite_ = new QTimer(this);
    idleWrite_->setSingleShot(true);
    idleWrite_->setInterval(kIdleWriteMs);
    connect(idleWrite_, &QTimer::timeout, this, &CAnnotationBar::StoreShown);
    connect(edit_, &QPlainTextEdit::textChanged, idleWrite_, [this] {
        if (!edit_->isReadOnly())
            idleWrite_->start();
    });
    connect(edit_, &CAnnotationEdit::focusLost, this, &CAnnotationBar::StoreShown);
    // Until an article is shown a note would belong to no article and be dropped unseen.
    edit_->setReadOnly(true);

    // Without its strip the bar still works, at its minimum height.
    strip_ = CSplitterStrip::Create(client(), this, kStripId, mirelda::StripOrientation::Horizontal,
                                    mirelda::bars::kInitialAnnotationHeight);

    ApplyHeight();
    return true;
}

void CAnnotationBar::ReportLoad(const mirelda::AnnotationStore::LoadReport& report)
{
    // Neither is worth stopping the start for: the notes that could be read are all there.
    QStringList notes;
    if (report.recovered == 1)
        notes << QStringLiteral(
            "Une annotation modifiée lors de la séance précédente, interrompue, a été reprise.");
    else if (report.recovered > 1)
        notes << QStringLiteral(
                     "%1 annotations modifiées lors de la séance précédente, interrompue, ont été reprises.")
                     .arg(report.recovered);
    if (report.savedDamage && !report.savedKept)
        notes << QStringLiteral("Le fichier d'annotations « %1 » est endommagé : les annotations lues avant "
                                "l'endroit endommagé sont gardées.")
                     .arg(ToQString(session_.userFiles().annotations));
    if (!notes.isEmpty())
        emit statusRequested(notes.join(QLatin1Char(' ')));
    // A file that cannot be read, or cannot be kept aside before it is rewritten, holds notes
    // that this run must not destroy: the user has to know where this run's notes go.
    if (report.savedKept) {
        const QString what =
            report.savedDamage
                ? QStringLiteral("Le fichier d'annotations « %1 » est endommagé et aucune copie "
                                 "n'a pu en être gardée.")
                : QStringLiteral("Impossible de lire le fichier d'annotations « %1 ».");
        emit messageRequested(
            what.arg(ToQString(session_.userFiles().annotations)) +
            QStringLiteral(" Il ne sera pas remplacé : les annotations modifiées pendant cette "
                           "séance seront gardées dans « %1 » et reprises au prochain démarrage.")
                .arg(ToQString(session_.userFiles().scratch)));
    }
    // Told once here; the changes that then cannot go to it only show in the status bar.
    if (report.scratchKept) {
        scratchFailureTold_ = true;
        emit messageRequested(
            QStringLiteral("Impossible d'utiliser le fichier « %1 » : ce n'est pas un fichier "
                           "ordinaire à vous. Il ne sera ni lu ni remplacé ; les annotations "
                           "modifiées pendant cette séance seront gardées en mémoire et "
                           "enregistrées à la fermeture.")
                .arg(ToQString(session_.userFiles().scratch)));
    }
}

void CAnnotationBar::StoreShown()
{
    idleWrite_->stop();
    if (shownArticle_ > 0 && !edit_->isReadOnly())
        StoreAnnotation(shownArticle_);
}

// --- the store ----------------------------------------------------------------------------

bool CAnnotationBar::ShowAnnotation(std::int32_t article)
{
    return session_.ShowAnnotation(article);
}

void CAnnotationBar::AnnotationShown(std::int32_t article, const std::string& text)
{
    if (!edit_)
        return; // not built yet
    edit_->SetTextCp1252(text);
    idleWrite_->stop(); // nothing typed yet
    shownArticle_ = article;
    edit_->setReadOnly(article <= 0);
}

bool CAnnotationBar::StoreAnnotation(std::int32_t article)
{
    if (article == shownArticle_)
        idleWrite_->stop();
    return session_.StoreAnnotation(article);
}

void CAnnotationBar::AnnotationNotStored(std::int32_t article)
{
    const QString text =
        QStringLiteral("Impossible d'écrire l'annotation de l'article %1 dans « %2 ». Elle est "
                       "gardée en mémoire et sera enregistrée à la fermeture du programme.")
            .arg(article)
            .arg(ToQString(session_.userFiles().scratch));
    // Said once in a box; after that the status bar is enough.
    if (!scratchFailureTold_) {
        scratchFailureTold_ = true;
        emit messageRequested(text);
    } else {
        emit statusRequested(text);
    }
}

void CAnnotationBar::AnnotationsNotSaved()
{
    emit messageRequested(SaveFailureText());
}

QString CAnnotationBar::SaveFailureText() const
{
    QString text = QStringLiteral("Impossible d'enregistrer les annotations dans « %1 ».")
                       .arg(ToQString(session_.userFiles().annotations));
    const bool inScratch = session_.ScratchHoldsChanges();
    const std::set<std::int32_t>& memoryOnly = session_.memoryOnlyAnnotations();
    if (inScratch)
        text +=
            QStringLiteral("\nLes modifications de cette séance restent dans « %1 » et seront reprises au "
                           "prochain démarrage.")
                .arg(ToQString(session_.userFiles().scratch));
    if (memoryOnly.size() == 1)
        text += QStringLiteral(
                    "\nLa modification de l'annotation de l'article %1 n'a pu être écrite nulle part : "
                    "elle sera perdue.")
                    .arg(ArticleList(memoryOnly));
    else if (memoryOnly.size() > 1)
        text +=
            QStringLiteral("\nLes modifications des annotations des articles %1 n'ont pu être écrites nulle "
                           "part : elles seront perdues.")
                .arg(ArticleList(memoryOnly));
    if (!inScratch && memoryOnly.empty())
        text += QStringLiteral("\nLes annotations déjà enregistrées restent inchangées.");
    return text;
}

bool CAnnotationBar::IsEmpty() const
{
    return !edit_ || edit_->IsEmpty();
}

// --- sizes --------------------------------------------------------------------------------

void CAnnotationBar::ApplyHeight()
{
    QMainWindow* f = frame();
    if (!f)
        return;
    const float value = strip_ ? strip_->value() : mirelda::bars::kInitialAnnotationHeight;
    const mirelda::PixelSize size = mirelda::AnnotationBarDockedSize(f->frameGeometry().width(), value);
    SetDockedSize(QSize(size.width, size.height));
}

void CAnnotationBar::ClientResized(QSize size)
{
    if (edit_) {
        const mirelda::PixelRect r = mirelda::AnnotationEditRect({size.width(), size.height()}, edit_->x());
        edit_->setGeometry(r.left, r.top, r.width(), r.height());
    }
    if (strip_) {
        strip_->Reposition();
        // The value follows the bar, whatever resized it.
        strip_->setValue(static_cast<float>(height()));
    }
}

} // namespace mirelda::ui
