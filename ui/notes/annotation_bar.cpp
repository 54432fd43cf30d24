#include "ui/notes/annotation_bar.h"

#include "core/view/bar_geometry.h"
#include "ui/notes/annotation_edit.h"
#include "ui/widgets/dialog_units.h"
#include "ui/widgets/qt_path.h"

#include <QFile>
#include <QIcon>
#include <QLabel>
#include <QMainWindow>
#include <QTimer>

#include <filesystem>
#include <system_error>
#include <utility>

namespace {

constexpr int kIconSize = 32;

QString Path(const std::filesystem::path& path)
{
    return ToQString(path);
}

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

bool HoldsSomething(const std::filesystem::path& path)
{
    std::error_code ec;
    return std::filesystem::is_regular_file(path, ec) && std::filesystem::file_size(path, ec) > 0 && !ec;
}

} // namespace

CAnnotationBar::CAnnotationBar(mirelda::UserFiles files, Host host, QWidget* parent)
    : CDlgBar(parent), files_(std::move(files)), host_(std::move(host)),
      store_(files_.annotations, files_.scratch)
{
    setObjectName(QStringLiteral("annotationBar"));
}

CAnnotationBar::~CAnnotationBar() = default;

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

    ReportLoad(store_.LoadIndex());
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
                     .arg(Path(files_.annotations));
    if (!notes.isEmpty() && host_.showStatus)
        host_.showStatus(notes.join(QLatin1Char(' ')));
    // A file that cannot be read, or cannot be kept aside before it is rewritten, holds notes
    // that this run must not destroy: the user has to know where this run's notes go.
    if (report.savedKept && host_.ShowMessage) {
        const QString what =
            report.savedDamage
                ? QStringLiteral("Le fichier d'annotations « %1 » est endommagé et aucune copie "
                                 "n'a pu en être gardée.")
                : QStringLiteral("Impossible de lire le fichier d'annotations « %1 ».");
        host_.ShowMessage(
            what.arg(Path(files_.annotations)) +
            QStringLiteral(" Il ne sera pas remplacé : les annotations modifiées pendant cette "
                           "séance seront gardées dans « %1 » et reprises au prochain démarrage.")
                .arg(Path(files_.scratch)));
    }
    // Told once here; the changes that then cannot go to it only show in the status bar.
    if (report.scratchKept && host_.ShowMessage) {
        scratchFailureTold_ = true;
        host_.ShowMessage(QStringLiteral("Impossible d'utiliser le fichier « %1 » : ce n'est pas un fichier "
                                         "ordinaire à vous. Il ne sera ni lu ni remplacé ; les annotations "
                                         "modifiées pendant cette séance seront gardées en mémoire et "
                                         "enregistrées à la fermeture.")
                              .arg(Path(files_.scratch)));
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
    const std::string text = store_.ShowAnnotation(article);
    edit_->SetTextCp1252(mirelda::ToEditLineEnds(text));
    idleWrite_->stop(); // nothing typed yet
    shownArticle_ = article;
    edit_->setReadOnly(article <= 0);
    return !text.empty();
}

bool CAnnotationBar::StoreAnnotation(std::int32_t article)
{
    if (article == 0)
        return true;
    if (article == shownArticle_)
        idleWrite_->stop();
    (void)mirelda::PrepareUserFileFolder(files_); // a failure shows in the append below
    const mirelda::Status stored = store_.StoreAnnotation(article, edit_->TextCp1252());
    if (stored) {
        memoryOnly_.erase(article);
        return true;
    }
    memoryOnly_.insert(article);
    const QString text =
        QStringLiteral("Impossible d'écrire l'annotation de l'article %1 dans « %2 ». Elle est "
                       "gardée en mémoire et sera enregistrée à la fermeture du programme.")
            .arg(article)
            .arg(Path(files_.scratch));
    // Said once in a box; after that the status bar is enough.
    if (!scratchFailureTold_ && host_.ShowMessage) {
        scratchFailureTold_ = true;
        host_.ShowMessage(text);
    } else if (host_.showStatus) {
        host_.showStatus(text);
    }
    return false;
}

bool CAnnotationBar::SaveAnnotations()
{
    mirelda::Status saved = mirelda::PrepareUserFileFolder(files_);
    if (saved)
        saved = store_.SaveAnnotations();
    if (saved) {
        memoryOnly_.clear();
        return true;
    }
    if (host_.ShowMessage)
        host_.ShowMessage(SaveFailureText());
    return false;
}

QString CAnnotationBar::SaveFailureText() const
{
    QString text =
        QStringLiteral("Impossible d'enregistrer les annotations dans « %1 ».").arg(Path(files_.annotations));
    const bool inScratch = HoldsSomething(files_.scratch);
    if (inScratch)
        text +=
            QStringLiteral("\nLes modifications de cette séance restent dans « %1 » et seront reprises au "
                           "prochain démarrage.")
                .arg(Path(files_.scratch));
    if (memoryOnly_.size() == 1)
        text += QStringLiteral(
                    "\nLa modification de l'annotation de l'article %1 n'a pu être écrite nulle part : "
                    "elle sera perdue.")
                    .arg(ArticleList(memoryOnly_));
    else if (memoryOnly_.size() > 1)
        text +=
            QStringLiteral("\nLes modifications des annotations des articles %1 n'ont pu être écrites nulle "
                           "part : elles seront perdues.")
                .arg(ArticleList(memoryOnly_));
    if (!inScratch && memoryOnly_.empty())
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
