#include "name_box.h"

#include "codec.h"
#include "unit_sheet.h"
#include "window_kit.h"

#include <QApplication>
#include <QToolTip>

#include <algorithm>

namespace kr {

QValidator::State NameValidator::validate(QString& input, int& pos) const {
    // The text before the cursor holds what was just typed or pasted: that
    // part is cut when the whole is too long.
    const QByteArray before = input.left(pos).toUtf8();
    const QByteArray after = input.mid(pos).toUtf8();
    NameInput head = UnitNameInput(std::string_view(before.constData(), static_cast<std::size_t>(before.size())));
    const NameInput tail = UnitNameInput(std::string_view(after.constData(), static_cast<std::size_t>(after.size())));
    const std::size_t room = MaxUnitNameBytes - std::min(MaxUnitNameBytes, tail.Bytes.size());
    const bool cut = head.Bytes.size() > room;
    if (cut) head.Bytes.resize(Cp932PrefixLength(head.Bytes, room));
    const QString kept = Cp932ToQString(head.Bytes);
    const QString text = kept + Cp932ToQString(tail.Bytes);
    if (text != input) {
        input = text;
        pos = static_cast<int>(kept.size());
    }
    const std::string leftOut = head.LeftOut + tail.LeftOut;
    if ((cut || !leftOut.empty()) && Refused) Refused(Utf8ToQString(leftOut), cut);
    return Acceptable;
}

void ShowNameRefusal(QLineEdit* box, const QString& leftOut, bool cut) {
    QStringList lines;
    if (!leftOut.isEmpty()) lines.append(QStringLiteral("ユニットファイルに保存できない文字を除きました: ") + leftOut);
    if (cut) lines.append(QStringLiteral("名称は %1 バイトまでです").arg(MaxUnitNameBytes));
    QApplication::beep();
    QToolTip::showText(box->mapToGlobal(QPoint(0, box->height())), PlainToolTip(lines.join(u'\n')), box);
}

}  // namespace kr
