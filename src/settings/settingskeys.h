#pragma once
// Every key path and value name the settings file holds, spelt once. The
// spellings are the file format: "UserSparator" and "ZeqSparatorDisable"
// stay misspelt because files already written carry them.

#include <QString>

#include <array>

namespace zeq {

// The companion program's key: read, never written.
inline const QString kCompanionOptionKey = QStringLiteral("Software\\ZeqSoft\\Zeq\\Option");
inline const QString kCompanionSeparatorName = QStringLiteral("Separator");

// The editor's own keys.
inline const QString kEnvKey = QStringLiteral("Software\\ZeqSoft\\ZeqEditor\\Env");
inline const QString kRecentKey = QStringLiteral("Software\\ZeqSoft\\ZeqEditor\\Recent");
inline const QString kOptionKey = QStringLiteral("Software\\ZeqSoft\\ZeqEditor\\Option");

inline const std::array<const QString *, 3> kEditorKeys = {&kEnvKey, &kRecentKey, &kOptionKey};

enum class StoredKind { Number, Text };

// One value of the editor's own: where it lives, how it is stored, and what
// the user calls it when it has to be named to them.
struct StoredName {
    const QString &key;
    QString name;
    StoredKind kind;
    QString label;
};

namespace stored {

inline const StoredName kEditorTop{kEnvKey, QStringLiteral("EditorTop"), StoredKind::Number, QStringLiteral("ウィンドウの位置と大きさ")};
inline const StoredName kEditorLeft{kEnvKey, QStringLiteral("EditorLeft"), StoredKind::Number, QStringLiteral("ウィンドウの位置と大きさ")};
inline const StoredName kEditorHeight{kEnvKey, QStringLiteral("EditorHeight"), StoredKind::Number, QStringLiteral("ウィンドウの位置と大きさ")};
inline const StoredName kEditorWidth{kEnvKey, QStringLiteral("EditorWidth"), StoredKind::Number, QStringLiteral("ウィンドウの位置と大きさ")};

inline const std::array<StoredName, 5> kRecentFile = {
    StoredName{kRecentKey, QStringLiteral("RecentFile0"), StoredKind::Text, QStringLiteral("最近使ったファイル")},
    StoredName{kRecentKey, QStringLiteral("RecentFile1"), StoredKind::Text, QStringLiteral("最近使ったファイル")},
    StoredName{kRecentKey, QStringLiteral("RecentFile2"), StoredKind::Text, QStringLiteral("最近使ったファイル")},
    StoredName{kRecentKey, QStringLiteral("RecentFile3"), StoredKind::Text, QStringLiteral("最近使ったファイル")},
    StoredName{kRecentKey, QStringLiteral("RecentFile4"), StoredKind::Text, QStringLiteral("最近使ったファイル")},
};

inline const StoredName kZeqImage{kOptionKey, QStringLiteral("ZeqImage"), StoredKind::Number, QStringLiteral("Zeqイメージの設定")};
inline const StoredName kZeqSparatorDisable{kOptionKey, QStringLiteral("ZeqSparatorDisable"), StoredKind::Number, QStringLiteral("Zeqイメージの設定")};
inline const std::array<StoredName, 3> kUserSparator = {
    StoredName{kOptionKey, QStringLiteral("UserSparator0"), StoredKind::Text, QStringLiteral("漢字セパレータ")},
    StoredName{kOptionKey, QStringLiteral("UserSparator1"), StoredKind::Text, QStringLiteral("漢字セパレータ")},
    StoredName{kOptionKey, QStringLiteral("UserSparator2"), StoredKind::Text, QStringLiteral("漢字セパレータ")},
};
inline const StoredName kFontColor{kOptionKey, QStringLiteral("FontColor"), StoredKind::Number, QStringLiteral("基本の文字色")};
inline const StoredName kTextBackColor{kOptionKey, QStringLiteral("TextBackColor"), StoredKind::Number, QStringLiteral("エディット画面の背景色")};
inline const StoredName kRchBackColor{kOptionKey, QStringLiteral("RchBackColor"), StoredKind::Number, QStringLiteral("Zeqイメージ表示画面の背景色")};
inline const StoredName kKanjiColor{kOptionKey, QStringLiteral("KanjiColor"), StoredKind::Number, QStringLiteral("漢字の色")};
inline const StoredName kHiraColor{kOptionKey, QStringLiteral("HiraColor"), StoredKind::Number, QStringLiteral("ひらがなの色")};
inline const StoredName kSepaColor{kOptionKey, QStringLiteral("SepaColor"), StoredKind::Number, QStringLiteral("漢字セパレータの色")};
inline const StoredName kZeqFontName{kOptionKey, QStringLiteral("ZeqFontName"), StoredKind::Text, QStringLiteral("フォント")};
inline const StoredName kZeqFontSize{kOptionKey, QStringLiteral("ZeqFontSize"), StoredKind::Number, QStringLiteral("フォント")};
inline const StoredName kRubyPreview{kOptionKey, QStringLiteral("RubyPreview"), StoredKind::Number, QStringLiteral("表示イメージのルビ表示")};

} // namespace stored

// The editor's values in the order they are written: placement, recent
// files, options.
inline const std::array<const StoredName *, 23> kEditorValues = {
    &stored::kEditorTop,        &stored::kEditorLeft,      &stored::kEditorHeight,
    &stored::kEditorWidth,      &stored::kRecentFile[0],   &stored::kRecentFile[1],
    &stored::kRecentFile[2],    &stored::kRecentFile[3],   &stored::kRecentFile[4],
    &stored::kZeqImage,         &stored::kZeqSparatorDisable, &stored::kUserSparator[0],
    &stored::kUserSparator[1],  &stored::kUserSparator[2], &stored::kFontColor,
    &stored::kTextBackColor,    &stored::kRchBackColor,    &stored::kKanjiColor,
    &stored::kHiraColor,        &stored::kSepaColor,       &stored::kZeqFontName,
    &stored::kZeqFontSize,      &stored::kRubyPreview,
};

} // namespace zeq
