#include "ui/search/article_search.h"

#include "core/search/search_engine.h"
#include "core/store/cp1252.h"
#include "ui/lists/list_dlg.h"

#include <QGuiApplication>

namespace {

// The results window as the engine sees it; the request it stores is the one typed.
class ResultsWindowSink : public mirelda::SearchResultsSink {
public:
    ResultsWindowSink(CListDlg& window, const ArticleSearchRequest& request)
        : window_(window), request_(request)
    {
    }

    void Clear() override { window_.Clear(); }
    void SetSearch(std::string_view, bool matchCase, bool wholeWord) override
    {
        window_.SetSearch(request_.text, matchCase, wholeWord);
    }
    void AddItem(std::int32_t article, std::string_view titleCp1252) override
    {
        window_.AddItem(article, titleCp1252);
    }
    void Show() override { window_.Show(); }

private:
    CListDlg& window_;
    const ArticleSearchRequest& request_;
};

class WaitCursor {
public:
    WaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QGuiApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

}  // namespace

std::optional<std::string> ToCp1252Exactly(const QString& text)
{
    const std::u16string utf16 = text.toStdU16String();
    std::string bytes = mirelda::EncodeCp1252(utf16);
    if (mirelda::DecodeCp1252(bytes) != utf16)
        return std::nullopt;
    return bytes;
}

mirelda::Result<bool> SearchArticlesInto(CListDlg& results, const mirelda::ArticleIndex& index,
                                         const std::filesystem::path& dataFile,
                                         const ArticleSearchRequest& request)
{
    const WaitCursor wait;
    ResultsWindowSink sink(results, request);
    mirelda::SearchRequest engineRequest;
    engineRequest.matchCase = request.matchCase;
    engineRequest.wholeWord = request.wholeWord;
    engineRequest.inTitle = request.inTitle;
    engineRequest.inText = request.inText;
    if (const std::optional<std::string> bytes = ToCp1252Exactly(request.text)) {
        engineRequest.text = *bytes;
    } else {
        // No title can hold such a string, but an article's text can (\uN): search the texts
        // for it as typed; the Windows-1252 form ("?" for what it lacks) is only shown.
        engineRequest.text = mirelda::EncodeCp1252(request.text.toStdU16String());
        engineRequest.textUtf16 = request.text.toStdU16String();
    }
    return mirelda::SearchArticles(index, dataFile, engineRequest, sink);
}
