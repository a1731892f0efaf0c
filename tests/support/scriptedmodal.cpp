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

std::optional<int> ScriptedModal::askInteger(const QString &title, const QString &label, int value, int min,
                                             int max)
{
    calls.append({Kind::Integer, label, value, title.isEmpty() ? kAppTitle : title, {}});
    const std::optional<int> answer = takeOr(integerAnswers, std::optional<int>());
    if (!answer)
        return answer;
    return qBound(min, *answer, max);
}

std::optional<QString> ScriptedModal::askText(const QString &title, const QString &label, const QString &value)
{
    calls.append({Kind::Text, label, 0, title.isEmpty() ? kAppTitle : title, {}});
    calls.back().file.fileName = value;
    return takeOr(textAnswers, std::optional<QString>());
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
