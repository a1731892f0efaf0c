#include "platform/qtmodal.h"

#include "about/helpfile.h"
#include "platform/fonts.h"

#include <QColorDialog>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QTextBrowser>
#include <QUrl>

namespace zeq {

int QtModal::msgBox(const QString &text, int style, const QString &title)
{
    QMessageBox box(m_parent);
    box.setWindowTitle(title.isEmpty() ? kAppTitle : title);
    QString shown = text;
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    box.setText(shown);

    switch (style & 0xF0) {
    case 16: box.setIcon(QMessageBox::Critical); break;
    case 32: box.setIcon(QMessageBox::Question); break;
    case 48: box.setIcon(QMessageBox::Warning); break;
    case 64: box.setIcon(QMessageBox::Information); break;
    default: box.setIcon(QMessageBox::NoIcon); break;
    }
    switch (style & 0x0F) {
    case 3:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        box.setDefaultButton(QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::Cancel);
        break;
    case 4:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        break;
    case 1:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        break;
    default:
        box.setStandardButtons(QMessageBox::Ok);
        break;
    }

    switch (box.exec()) {
    case QMessageBox::Yes: return AnswerYes;
    case QMessageBox::No: return AnswerNo;
    case QMessageBox::Cancel: return AnswerCancel;
    default: return AnswerOk;
    }
}

namespace {
QFileDialog *makeFileDialog(QWidget *parent, const FileDialogRequest &request)
{
    auto *dialog = new QFileDialog(parent, request.caption);
    dialog->setNameFilters(request.filters);
    if (!request.directory.isEmpty())
        dialog->setDirectory(request.directory);
    // The suffix belongs to the text filter: with "all files" chosen, a name
    // is used exactly as typed.
    dialog->setDefaultSuffix(request.defaultSuffix);
    if (!request.defaultSuffix.isEmpty() && !request.filters.isEmpty()) {
        const QString textFilter = request.filters.constFirst();
        const QString suffix = request.defaultSuffix;
        QObject::connect(dialog, &QFileDialog::filterSelected, dialog, [dialog, textFilter, suffix](const QString &filter) {
            dialog->setDefaultSuffix(filter == textFilter ? suffix : QString());
        });
    }
    if (!request.fileName.isEmpty())
        dialog->selectFile(request.fileName);
    dialog->setAttribute(Qt::WA_DeleteOnClose, false);
    return dialog;
}
} // namespace

QString QtModal::openFileName(const FileDialogRequest &request)
{
    std::unique_ptr<QFileDialog> dialog(makeFileDialog(m_parent, request));
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setFileMode(QFileDialog::ExistingFile);
    if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty())
        return QString();
    return dialog->selectedFiles().constFirst();
}

QString QtModal::saveFileName(const FileDialogRequest &request)
{
    std::unique_ptr<QFileDialog> dialog(makeFileDialog(m_parent, request));
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setFileMode(QFileDialog::AnyFile);
    // Replacing an existing file asks first (the dialog's default).
    if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty())
        return QString();
    return dialog->selectedFiles().constFirst();
}

std::optional<qint32> QtModal::chooseColor(qint32 initial)
{
    const QColor chosen = QColorDialog::getColor(colorFromRef(initial), m_parent);
    if (!chosen.isValid())
        return std::nullopt;
    return colorToRef(chosen);
}

std::optional<FontChoice> QtModal::chooseFont(const FontChoice &initial)
{
    bool ok = false;
    const QFont chosen = QFontDialog::getFont(&ok, storedFont(initial.family, int(initial.pointSize)), m_parent);
    if (!ok)
        return std::nullopt;
    return FontChoice{chosen.family(), chosen.pointSizeF()};
}

std::optional<int> QtModal::askInteger(const QString &title, const QString &label, int value, int min, int max)
{
    bool ok = false;
    const int chosen = QInputDialog::getInt(m_parent, title.isEmpty() ? kAppTitle : title, label, value, min, max, 1, &ok);
    if (!ok)
        return std::nullopt;
    return chosen;
}

std::optional<QString> QtModal::askText(const QString &title, const QString &label, const QString &value)
{
    bool ok = false;
    const QString text =
        QInputDialog::getText(m_parent, title.isEmpty() ? kAppTitle : title, label, QLineEdit::Normal, value, &ok);
    if (!ok)
        return std::nullopt;
    return text;
}

QString QtModal::helpFile() const
{
    if (!m_helpFile.isEmpty())
        return m_helpFile;
    return locateHelpFile(QCoreApplication::applicationDirPath());
}

QTextBrowser *QtModal::helpWindow() const
{
    return m_help.data();
}

void QtModal::showHelp(int context, const QString &keyword)
{
    const QString file = helpFile();
    if (!m_help) {
        // A window of its own beside the main window, not modal, so that the
        // user can read and type at the same time.
        m_help = new QTextBrowser(m_parent);
        m_help->setWindowFlag(Qt::Window);
        m_help->setAttribute(Qt::WA_DeleteOnClose);
        m_help->setObjectName(QStringLiteral("helpWindow"));
        m_help->setWindowTitle(QStringLiteral("Zeq Text Editor ヘルプ"));
        m_help->setOpenExternalLinks(true);
        m_help->resize(680, 600);
    }
    // Shown before the page is set, so that the page is laid out at the
    // window's width when it scrolls to the topic.
    m_help->show();
    m_help->raise();
    m_help->activateWindow();
    if (!QFileInfo::exists(file)) {
        // The viewer tells what it could not find, as a help viewer does.
        m_help->setPlainText(QStringLiteral("ヘルプファイルが見つかりません。\n") + QDir::toNativeSeparators(file));
        return;
    }
    QUrl url = QUrl::fromLocalFile(file);
    url.setFragment(keyword.isEmpty() ? QStringLiteral("context-%1").arg(context) : keyword);
    m_help->setSource(url);
    m_help->scrollToAnchor(url.fragment());
}

} // namespace zeq
