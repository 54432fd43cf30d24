#pragma once
// For the tests that drive the whole viewer: a small help set written with the store's own
// writers, a viewer started in-process with a given command line, private user folders.

#include "core/store/help_set.h"
#include "core/tree/contents_file.h"
#include "tests/support/modal_answer.h"
#include "ui/app/mirelda_app.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace apptest {

using namespace mirelda::ui;

inline std::string Rtf(const std::string& body)
{
    return "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\\f0\\fs20 " + body + "}";
}

// Articles 1 to 5 plus a pop-up (9): 1 "Généralités", 2..4 "Article N", 5 a long article.
// Returns the base path (folder/name, no extension).
inline QString WriteHelpSet(const QString& folder, const QString& name)
{
    QDir().mkpath(folder);
    const std::filesystem::path base = std::filesystem::path(QFile::encodeName(folder).toStdString()) /
                                       QFile::encodeName(name).toStdString();
    std::vector<mirelda::ArticleSource> articles;
    articles.push_back({1, "G\xe9n\xe9ralit\xe9s", Rtf("Accueil. Voir l'article 2.\\par"), {{13, 21, 2, 0}}});
    for (int n = 2; n <= 4; ++n)
        articles.push_back({n,
                            "Article " + std::to_string(n),
                            Rtf("Texte de l'article " + std::to_string(n) + ".\\par"),
                            {}});
    std::string longBody;
    for (int line = 0; line < 400; ++line)
        longBody +=
            "Ligne " + std::to_string(line) + " d'un article long, assez large pour occuper la vue.\\par ";
    articles.push_back({5, "Article long", Rtf(longBody), {}});
    articles.push_back({9, "#POPUP:Glossaire", Rtf("Une bulle.\\par"), {}});
    auto path = [&](const char* ext) { return std::filesystem::path(base.string() + ext); };
    if (!mirelda::WriteArticleFiles(path(".PGH"), path(".PGD"), path(".PGL"), articles).ok())
        return {};
    std::vector<mirelda::ContentsRecord> contents{
        {"B1", "Livre", "0", 0, 0, 0},
        {"P1", "G\xe9n\xe9ralit\xe9s", "B1", 1, 0, 0},
        {"P3", "Article 3", "B1", 3, 0, 0},
    };
    if (!mirelda::WriteContentsFile(path(".FIC"), contents).ok())
        return {};
    return QFile::decodeName(QByteArray::fromStdString(base.string()));
}

// A viewer started in this process with the given switches (the program name is added).
class InProcessViewer
{
  public:
    explicit InProcessViewer(const QStringList& switches)
    {
        storage_.push_back(QByteArrayLiteral("mirelda"));
        for (const QString& s : switches)
            storage_.push_back(s.toUtf8());
        for (QByteArray& s : storage_)
            argv_.push_back(s.data());
        argv_.push_back(nullptr);
        argc_ = static_cast<int>(storage_.size());
        app = std::make_unique<CMireldaApp>(argc_, argv_.data());
    }

    std::unique_ptr<CMireldaApp> app;

  private:
    std::vector<QByteArray> storage_;
    std::vector<char*> argv_;
    int argc_ = 0;
};

// Private runtime and data folders, so that sockets and user files stay inside the test.
inline void IsolateUserFolders(const QString& root)
{
    QDir().mkpath(root + QStringLiteral("/run"));
    QFile::setPermissions(root + QStringLiteral("/run"),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(root + QStringLiteral("/run")));
    qputenv("XDG_DATA_HOME", QFile::encodeName(root + QStringLiteral("/data")));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(root + QStringLiteral("/config"))); // the text size
}

// What the whole-viewer tests set up first: private user folders under `root`, then a help
// set written into root/set by `write`, given that folder. The set's base path; empty when
// `root` is not usable or the set could not be written.
inline QString IsolatedHelpSet(const QTemporaryDir& root, const std::function<QString(const QString&)>& write)
{
    if (!root.isValid())
        return {};
    IsolateUserFolders(root.path());
    return write(root.path() + QStringLiteral("/set"));
}

// The same with WriteHelpSet's help set called `name`.
inline QString IsolatedHelpSet(const QTemporaryDir& root, const QString& name)
{
    return IsolatedHelpSet(root, [&name](const QString& folder) { return WriteHelpSet(folder, name); });
}

} // namespace apptest
