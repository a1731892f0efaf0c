#include "support/scriptedmodal.h"

namespace zeq {

namespace {
template <typename T>
T takeOr(std::deque<T> &queue, T fallback)
{
    if (!queue.empty()) {
        fallback = std::move(queue.front());
        queue.pop_front();
    }
    return fallback;
}
} // namespace

int ScriptedModal::msgBox(const QString &text, int style, const QString &title)
{
    calls.append({Kind::Message, text, style, title.isEmpty() ? kAppTitle : title, {}});
    if (whileMessageOpen)
        whileMessageOpen();
    return takeOr(messageAnswers, int(AnswerOk));
}

QString ScriptedModal::openFileName(const FileDialogRequest &request)
{
    calls.append({Kind::OpenFile, request.fileName, 0, request.caption, request});
    return takeOr(openAnswers, QString());
}

QString ScriptedModal::saveFileName(const FileDialogRequest &request)
{
    calls.append({Kind::SaveFile, request.fileName, 0, request.caption, request});
    return takeOr(saveAnswers, QString());
}

std::optional<qint32> ScriptedModal::chooseColor(qint32 initial)
{
    calls.append({Kind::Color, QString::number(initial), 0, {}, {}});
    return takeOr(colorAnswers, std::optional<qint32>());
}

std::optional<FontChoice> ScriptedModal::chooseFont(const FontChoice &initial)
{
    calls.append({Kind::Font, initial.family, int(initial.pointSize), {}, {}});
    return takeOr(fontAnswers, std::optional<FontChoice>());
}

void ScriptedModal::showHelp(int context, const QString &keyword)
{
    calls.append({Kind::Help, keyword, context, {}, {}});
}

QStringList ScriptedModal::messages() const
{
    QStringList texts;
    for (const Call &call : calls) {
        if (call.kind == Kind::Message)
            texts.append(call.text);
    }
    return texts;
}

} // namespace zeq
