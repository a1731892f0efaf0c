#pragma once
// A fresh main window per test: its own settings store in a temporary
// folder, a scripted modal seam, and fresh program state.

#include "app/mainwindow.h"
#include "app/session.h"
#include "app/statuspanels.h"
#include "document/document.h"
#include "platform/codepage.h"
#include "platform/modal.h"
#include "support/scriptedmodal.h"
#include "platform/regstore.h"
#include "support/tempconfig.h"

#include <QApplication>
#include <QFile>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace zeq::test {

class MainWindowFixture : public ::testing::Test {
protected:
    // The readings the window learns go to the test's folder, never to the
    // user's own.
    MainWindowFixture() : store(config.storeFile()), m_dataHome(qgetenv("XDG_DATA_HOME"))
    {
        qputenv("XDG_DATA_HOME", QFile::encodeName(config.path() + QStringLiteral("/data")));
    }
    ~MainWindowFixture() override
    {
        window.reset();
        if (m_dataHome.isEmpty())
            qunsetenv("XDG_DATA_HOME");
        else
            qputenv("XDG_DATA_HOME", m_dataHome);
    }

    // Creates the window, runs its start-up with the given argument and
    // shows it.
    MainWindow &start(const QString &argument = QString())
    {
        window = std::make_unique<MainWindow>(program, modal, store);
        window->startUp(argument);
        window->show();
        return *window;
    }

    // Makes the window the active one, so that menu shortcuts reach it.
    void activate()
    {
        QApplication::setActiveWindow(window.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }

    // Writes bytes to a file in the test's folder and returns its path.
    QString writeFile(const QString &name, const QByteArray &bytes)
    {
        const QString path = config.path() + u'/' + name;
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }

    QByteArray readFile(const QString &path)
    {
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
        return file.readAll();
    }

    static QByteArray cp932(const QString &text) { return encodeCp932(text).bytes; }

    bool modified() const { return window->document().isModified(); }
    // Entries in the history, and how many of them are applied.
    qsizetype historyCount() const { return window->document().history().count(); }
    qsizetype historyIndex() const { return window->document().history().index(); }
    // The line count as the status bar shows it.
    QString lineCountShown() const { return window->statusPanels->panelText(1); }
    static QString lineCountText(int lines) { return QStringLiteral("全行数：") + QString::number(lines); }

    TempConfig config;
    RegStore store;
    ScriptedModal modal;
    Session program;
    std::unique_ptr<MainWindow> window;

private:
    QByteArray m_dataHome;
};

} // namespace zeq::test
