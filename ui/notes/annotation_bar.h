#pragma once
// The annotation bar, docked along the frame's bottom edge under the article view: the
// user's own note for the article shown, in a plain multi-line edit, resized with the
// splitter strip along its top edge. Hidden at start; the "Annotation" command shows and hides it.
//
// The bar owns the annotation store: the text the user types is handed to the store when
// another article is shown (StoreAnnotation, then ShowAnnotation for the new one) and when
// the frame closes (StoreAnnotation, then SaveAnnotations). It is also handed over about a
// second after the typing stops and when the edit loses the focus, so that a run that is
// killed loses at most the last second of typing (.NO$ is taken back at the next start).
// Whatever cannot be written is said to the user through the Host, in French; the store
// keeps it (in .NO$, or in memory) until a save succeeds.

#include "core/app/help_set_location.h"
#include "core/notes/annotation_store.h"
#include "ui/widgets/dlg_bar.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <set>

class CAnnotationEdit;
class QLabel;
class QTimer;

class CAnnotationBar : public CDlgBar
{
    Q_OBJECT
  public:
    struct Host
    {
        // A message box with an OK button, captioned with the help set's title.
        std::function<void(const QString& text)> ShowMessage;
        // A passing note in the status bar.
        std::function<void(const QString& text)> showStatus;
    };

    static constexpr int kStripId = 104;
    // Milliseconds after the last keystroke at which the text goes to .NO$.
    static constexpr int kIdleWriteMs = 1000;

    // `files` says where the annotation files (.NOT, .NO$) are.
    CAnnotationBar(mirelda::UserFiles files, Host host, QWidget* parent = nullptr);
    ~CAnnotationBar() override;

    // Builds the bar for `frame`: the icon, the edit and the strip, then reads the saved
    // annotations (and takes back what a run that ended abnormally left in .NO$). The frame
    // then docks it at the bottom and hides it. False only without a frame.
    bool Create(QMainWindow* frame);

    // The article's annotation into the edit; true when it has one. The edit takes typing
    // only once an article has been shown.
    bool ShowAnnotation(std::int32_t article);
    // Keeps the edit's text as the article's annotation when the user changed it. False when
    // it could not be written to .NO$ (the user has been told; the text is kept in memory
    // and saved at close).
    bool StoreAnnotation(std::int32_t article);
    // Writes .NOT. False when it failed: the user has been told what was not saved.
    bool SaveAnnotations();
    bool IsEmpty() const;

    // The docked height from the strip's value (at least 46), across the frame's width.
    void ApplyHeight();

    CAnnotationEdit* edit() const { return edit_; }
    QLabel* icon() const { return icon_; }
    CSplitterStrip* strip() const { return strip_; }
    mirelda::AnnotationStore& store() { return store_; }
    const mirelda::UserFiles& files() const { return files_; }

    // SplitterStripHost
    void ApplyStripValue() override { ApplyHeight(); }

  signals:
    // The user changed the edit's text (also when ShowAnnotation replaced it): the frame's
    // annotation button follows.
    void textChanged();

  protected:
    void ClientResized(QSize size) override;

  private:
    void ReportLoad(const mirelda::AnnotationStore::LoadReport& report);
    QString SaveFailureText() const;

    mirelda::UserFiles files_;
    Host host_;
    mirelda::AnnotationStore store_;
    CAnnotationEdit* edit_ = nullptr;
    QLabel* icon_ = nullptr;
    CSplitterStrip* strip_ = nullptr;
    void StoreShown();

    // Articles whose last change could not be written to .NO$: only memory holds them.
    std::set<std::int32_t> memoryOnly_;
    std::int32_t shownArticle_ = 0;
    QTimer* idleWrite_ = nullptr;
    bool scratchFailureTold_ = false;
};
