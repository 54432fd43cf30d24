#pragma once
// The annotation bar, docked along the frame's bottom edge under the article view: the
// user's own note for the article shown, in a plain multi-line edit, resized with the
// splitter strip along its top edge. Hidden at start; the "Annotation" command shows and hides it.
//
// The annotations are the help session's: the bar shows the one of the article the session
// shows; what the user types is the session's draft, which the session asks the edit for only
// when it stores it: when another article is shown and when the frame closes. The draft is
// also stored about a second after the typing stops and when the edit loses the focus, so that
// a run that is killed loses at most the last second of typing (.NO$ is taken back at the next
// start).
// Whatever cannot be written is said to the user in French (messageRequested,
// statusRequested); the session keeps it (in .NO$, or in memory) until a save succeeds.

#include "core/notes/annotation_store.h"
#include "core/session/help_session.h"
#include "ui/widgets/dlg_bar.h"

#include <QString>

#include <cstdint>

class QLabel;
class QTimer;

namespace mirelda::ui {

class CAnnotationEdit;

class CAnnotationBar : public CDlgBar, private mirelda::HelpSessionObserver
{
    Q_OBJECT
  public:
    static constexpr int kStripId = 104;
    // Milliseconds after the last keystroke at which the text goes to .NO$.
    static constexpr int kIdleWriteMs = 1000;

    CAnnotationBar(mirelda::HelpSession& session, QWidget* parent = nullptr);
    ~CAnnotationBar() override;

    // Builds the bar for `frame`: the icon, the edit and the strip. The frame then docks it
    // at the bottom and hides it. False only without a frame.
    bool Create(QMainWindow* frame);
    // What the user is told of the annotation files found at start.
    void ReportLoad(const mirelda::AnnotationStore::LoadReport& report);

    // The article's annotation into the edit; true when it has one. The edit takes typing
    // only once an article has been shown.
    bool ShowAnnotation(std::int32_t article);
    // Keeps the edit's text as the article's annotation when the user changed it. False when
    // it could not be written to .NO$ (the user has been told; the text is kept in memory
    // and saved at close).
    bool StoreAnnotation(std::int32_t article);
    // Writes .NOT. False when it failed: the user has been told what was not saved.
    bool SaveAnnotations() { return session_.SaveAnnotations(); }
    bool IsEmpty() const;

    // The docked height from the strip's value (at least 46), across the frame's width.
    void ApplyHeight();

    CAnnotationEdit* edit() const { return edit_; }
    QLabel* icon() const { return icon_; }
    CSplitterStrip* strip() const { return strip_; }

    // SplitterStripHost
    void ApplyStripValue() override { ApplyHeight(); }

  signals:
    // The user changed the edit's text (also when ShowAnnotation replaced it): the frame's
    // annotation button follows.
    void textChanged();
    // A message box with an OK button, captioned with the help set's title.
    void messageRequested(const QString& text);
    // A passing note in the status bar.
    void statusRequested(const QString& text);

  protected:
    void ClientResized(QSize size) override;

  private:
    // HelpSessionObserver
    void AnnotationShown(std::int32_t article, const std::string& text) override;
    void AnnotationNotStored(std::int32_t article) override;
    void AnnotationsNotSaved() override;

    QString SaveFailureText() const;
    void StoreShown();

    mirelda::HelpSession& session_;
    CAnnotationEdit* edit_ = nullptr;
    QLabel* icon_ = nullptr;
    CSplitterStrip* strip_ = nullptr;
    std::int32_t shownArticle_ = 0;
    QTimer* idleWrite_ = nullptr;
    bool scratchFailureTold_ = false;
};

} // namespace mirelda::ui
