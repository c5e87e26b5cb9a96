#pragma once
// Buttons: four state objects and up to eight condition slots of actions.
#include "swf/script.h"
#include "swf/swf_object.h"

#include <array>
#include <map>

namespace tavlo::swf {

class SwfButton : public SwfObject {
public:
    static constexpr int kSlots = 8;
    // The state objects stay the caller's; they must live until the movie is saved.
    SwfButton(SwfContext& ctx, SwfObject& up, SwfObject& over, SwfObject& down, SwfObject& hit)
        : SwfObject(ctx), states_{&up, &over, &down, &hit} {}

    // Adds the step to the current slot and ORs in its condition: 1 OverDownToIdle, 2..9 the
    // first-byte conditions from IdleToOverDown (0x80) down to IdleToOverUp (0x01); a non-zero key
    // sets the key-press condition.
    void addStep(const ScriptStep& step, int condition, int keyCode = 0);
    void addAction(Action action, int condition, int keyCode = 0);
    // Moves to the next slot; stays on the last one.
    void nextCondition();

    // Defines the button once per timeline (a new id in each), then places it.
    void place(FrameTags& tags, SwfMovie& timeline) override;
    // Removes it under the id it has in that timeline.
    void remove(FrameTags& tags, SwfMovie& timeline) override;

protected:
    void define(FrameTags&, SwfMovie&) override {}

private:
    void addCondition(int condition, int keyCode);
    struct Slot {
        uint16_t conditions = 0;
        std::vector<Action> actions;
    };
    std::array<SwfObject*, 4> states_;
    std::array<Slot, kSlots> slots_;
    int current_ = 0;
    std::map<const SwfMovie*, uint16_t> ids_;
};

} // namespace tavlo::swf
