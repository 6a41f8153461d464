// What an input context knows of the input method's text: the composition under
// way and the last result, in CP932, kept from SDL's text-editing and text-input
// events.
//
// SDL says nothing of where a result begins or ends; the input method's signals
// do it by their order. A result is the run of text-input events that comes while
// a composition is shown, or right after it was taken away (IBus may hide the
// composition before or after it sends the committed text); long results arrive
// in several events of the run. Text that comes with no composition around it is
// typing the input method passed on, not a result. A new composition empties the
// result, so that no stale result is read for it.
#pragma once

#include <string>

namespace nol::imm {

class Composition {
public:
    // A text-editing event: the whole composition (empty when the input method
    // ends composing).
    void OnEditing(const std::string& utf8);
    // A text-input event.
    void OnText(const std::string& utf8);
    // Any other event: a result's run of text-input events is over.
    void OnOtherEvent();

    const std::string& Current() const { return composition_; }
    const std::string& Result() const { return result_; }

private:
    enum class Phase { Idle, Composing, Ended, Committing };

    std::string composition_;  // CP932
    std::string result_;       // CP932
    Phase phase_ = Phase::Idle;
};

}  // namespace nol::imm
