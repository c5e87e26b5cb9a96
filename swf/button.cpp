#include "swf/button.h"

#include "swf/movie.h"

namespace tavlo::swf {

void SwfButton::addCondition(int condition, int keyCode) {
    uint16_t& word = slots_[size_t(current_)].conditions;
    if (condition == 1)
        word |= 0x100;
    else if (condition >= 2 && condition <= 9)
        word |= uint16_t(0x80 >> (condition - 2));
    if (keyCode != 0) word |= uint16_t((keyCode & 0x7F) << 9);
}

void SwfButton::addStep(const ScriptStep& step, int condition, int keyCode) {
    addCondition(condition, keyCode);
    step.appendTo(slots_[size_t(current_)].actions);
}

void SwfButton::addAction(Action action, int condition, int keyCode) {
    addCondition(condition, keyCode);
    slots_[size_t(current_)].actions.push_back(std::move(action));
}

void SwfButton::nextCondition() {
    if (current_ < kSlots - 1) ++current_;
}

void SwfButton::place(FrameTags& tags, SwfMovie& timeline) {
    auto it = ids_.find(&timeline);
    if (it == ids_.end()) {
        for (SwfObject* s : states_) {
            s->defineOnly = true;
            s->place(tags, timeline);
        }
        DefineButton2 d;
        d.id = ctx_.nextCharacterId();
        for (int i = 0; i < 4; ++i) {
            ButtonRecord r;
            r.up = i == 0;
            r.over = i == 1;
            r.down = i == 2;
            r.hitTest = i == 3;
            r.characterId = uint16_t(states_[size_t(i)]->characterId);
            r.depth = 1;
            // A state drawn in pixel units carries its scale to twips, as a placement would.
            if (states_[size_t(i)]->hasMatrix()) r.matrix = states_[size_t(i)]->matrix();
            d.records.push_back(r);
        }
        for (int i = 0; i <= current_; ++i)
            d.conditions.push_back({slots_[size_t(i)].conditions, slots_[size_t(i)].actions});
        it = ids_.emplace(&timeline, d.id).first;
        appendTag(tags, std::move(d));
    }
    characterId = it->second;
    defined = true;
    if (!defineOnly) placeOnStage(tags, timeline);
}

void SwfButton::remove(FrameTags& tags, SwfMovie& timeline) {
    auto it = ids_.find(&timeline);
    if (it == ids_.end()) return;
    characterId = it->second;
    SwfObject::remove(tags, timeline);
}

} // namespace tavlo::swf
