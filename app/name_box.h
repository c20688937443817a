// The rules of the name box txtKrName: it holds only what a unit file gives
// back as it was, one line of CP932 text of at most MaxUnitNameBytes bytes.
#pragma once

#include <QLineEdit>
#include <QValidator>

#include <functional>

namespace kr {

// Makes typed and pasted text so (UnitNameInput): control characters go,
// characters CP932 cannot hold are left out, and what was just typed or
// pasted is cut when the whole would be too long; what had to be left out
// or cut is reported through Refused.
class NameValidator : public QValidator {
public:
    using QValidator::QValidator;
    // Characters left out and whether the text was cut at the limit.
    std::function<void(const QString& leftOut, bool cut)> Refused;

    State validate(QString& input, int& pos) const override;
};

// What was left out or cut, told beside the box with a beep.
void ShowNameRefusal(QLineEdit* box, const QString& leftOut, bool cut);

}  // namespace kr
