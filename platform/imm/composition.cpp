#include "imm/composition.h"

#include "base/codepage.h"

namespace nol::imm {

void Composition::OnEditing(const std::string& utf8) {
    if (utf8.empty()) {
        composition_.clear();
        if (phase_ == Phase::Composing) phase_ = Phase::Ended;
        return;
    }
    if (phase_ != Phase::Composing) result_.clear();
    composition_ = nol::base::Utf8ToCp932(utf8);
    phase_ = Phase::Composing;
}

void Composition::OnText(const std::string& utf8) {
    switch (phase_) {
        case Phase::Composing:
        case Phase::Ended:
            result_ = nol::base::Utf8ToCp932(utf8);
            phase_ = Phase::Committing;
            break;
        case Phase::Committing: result_ += nol::base::Utf8ToCp932(utf8); break;
        case Phase::Idle: break;
    }
}

void Composition::OnOtherEvent() {
    if (phase_ == Phase::Ended || phase_ == Phase::Committing) phase_ = Phase::Idle;
}

}  // namespace nol::imm
