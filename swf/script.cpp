#include "swf/script.h"

#include <cstring>

namespace tavlo::swf {

Action pushString(std::string s) {
    return ActionPush{{PushString{std::move(s)}}};
}

Action pushFloat(float f) {
    uint32_t bits;
    std::memcpy(&bits, &f, 4);
    return ActionPush{{PushFloat{bits}}};
}

Action pushInteger(int32_t v) {
    return ActionPush{{PushInteger{uint32_t(v)}}};
}

namespace {

Action pushAsString(const StepValue& v) {
    if (const int* i = std::get_if<int>(&v)) return pushString(std::to_string(*i));
    return pushString(std::get<std::string>(v));
}

} // namespace

void GetUrlStep::appendTo(std::vector<Action>& a) const {
    a.push_back(pushString(url_));
    a.push_back(pushString(target_));
    a.push_back(ActionGetUrl2{method_});
}

void GetVariableStep::appendTo(std::vector<Action>& a) const {
    a.push_back(pushString(name_));
    a.push_back(ActionCode{op::GetVariable});
}

void SetVariableStep::appendTo(std::vector<Action>& a) const {
    a.push_back(pushString(name_));
    a.push_back(pushAsString(value_));
    a.push_back(ActionCode{op::SetVariable});
}

void GetPropertyStep::appendTo(std::vector<Action>& a) const {
    a.push_back(pushString(target_));
    a.push_back(pushFloat(float(index_)));
    a.push_back(ActionCode{op::GetProperty});
}

void SetPropertyStep::appendTo(std::vector<Action>& a) const {
    a.push_back(pushString(target_));
    a.push_back(pushFloat(float(index_)));
    a.push_back(pushAsString(value_));
    a.push_back(ActionCode{op::SetProperty});
}

void PushStep::appendTo(std::vector<Action>& a) const {
    if (const int* i = std::get_if<int>(&value_))
        a.push_back(pushInteger(*i));
    else
        a.push_back(pushString(std::get<std::string>(value_)));
}

} // namespace tavlo::swf
