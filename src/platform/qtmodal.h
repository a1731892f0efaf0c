#pragma once
// The modal seam answered by real Qt dialogs.

#include "platform/modal.h"

#include <QPointer>
#include <QWidget>

class QTextBrowser;

namespace zeq {

class QtModal : public ModalSeam {
public:
    // Dialogs are centred on and owned by parent while they are open.
    void setParentWidget(QWidget *parent) { m_parent = parent; }

    int msgBox(const QString &text, int style, const QString &title = QString()) override;
    QString openFileName(const FileDialogRequest &request) override;
    QString saveFileName(const FileDialogRequest &request) override;
    std::optional<qint32> chooseColor(qint32 initial) override;
    std::optional<FontChoice> chooseFont(const FontChoice &initial) override;
    std::optional<int> askInteger(const QString &title, const QString &label, int value, int min, int max) override;
    std::optional<QString> askText(const QString &title, const QString &label, const QString &value) override;
    // Opens the help file in the editor's own help window, at the anchor
    // "context-N" for a context number or at the keyword's anchor.
    void showHelp(int context, const QString &keyword) override;

    // The help file; by default the one beside the program or, installed,
    // under the data folder (locateHelpFile).
    void setHelpFile(const QString &path) { m_helpFile = path; }
    QString helpFile() const;
    // The help window while it is open (it closes with the main window).
    QTextBrowser *helpWindow() const;

private:
    QPointer<QWidget> m_parent;
    QString m_helpFile;
    QPointer<QTextBrowser> m_help;
};

} // namespace zeq
