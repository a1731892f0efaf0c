#pragma once
// The modal seam answered by real Qt dialogs.

#include "platform/modal.h"

#include <QPointer>
#include <QWidget>

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
    void showHelp(int context, const QString &keyword) override;

private:
    QPointer<QWidget> m_parent;
};

} // namespace zeq
