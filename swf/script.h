#pragma once
// Script steps: small groups of action records that callers add to a frame or to a button
// condition. Each appends the same records to either list.
#include "swf/types.h"

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace tavlo::swf {

class ScriptStep {
public:
    virtual ~ScriptStep() = default;
    virtual void appendTo(std::vector<Action>& actions) const = 0;
};

// A string, or an integer (pushed as an integer by PushStep, formatted with "%d" elsewhere).
using StepValue = std::variant<std::string, int>;

Action pushString(std::string s);
Action pushFloat(float f);
Action pushInteger(int32_t v);

class PlayStep : public ScriptStep {
public:
    void appendTo(std::vector<Action>& a) const override { a.push_back(ActionCode{op::Play}); }
};

class StopStep : public ScriptStep {
public:
    void appendTo(std::vector<Action>& a) const override { a.push_back(ActionCode{op::Stop}); }
};

class GotoFrameStep : public ScriptStep {
public:
    explicit GotoFrameStep(uint16_t frame) : frame_(frame) {}
    void appendTo(std::vector<Action>& a) const override { a.push_back(ActionGotoFrame{frame_}); }

private:
    uint16_t frame_;
};

class GetUrlStep : public ScriptStep {
public:
    GetUrlStep(std::string url, std::string target, uint8_t method)
        : url_(std::move(url)), target_(std::move(target)), method_(method) {}
    void appendTo(std::vector<Action>& a) const override;

private:
    std::string url_, target_;
    uint8_t method_;
};

class GetVariableStep : public ScriptStep {
public:
    explicit GetVariableStep(std::string name) : name_(std::move(name)) {}
    void appendTo(std::vector<Action>& a) const override;

private:
    std::string name_;
};

class SetVariableStep : public ScriptStep {
public:
    SetVariableStep(std::string name, StepValue value) : name_(std::move(name)), value_(std::move(value)) {}
    void appendTo(std::vector<Action>& a) const override;

private:
    std::string name_;
    StepValue value_;
};

class GetPropertyStep : public ScriptStep {
public:
    GetPropertyStep(std::string target, int index) : target_(std::move(target)), index_(index) {}
    void appendTo(std::vector<Action>& a) const override;

private:
    std::string target_;
    int index_;
};

class SetPropertyStep : public ScriptStep {
public:
    SetPropertyStep(std::string target, int index, StepValue value)
        : target_(std::move(target)), index_(index), value_(std::move(value)) {}
    void appendTo(std::vector<Action>& a) const override;

private:
    std::string target_;
    int index_;
    StepValue value_;
};

class PushStep : public ScriptStep {
public:
    explicit PushStep(StepValue value) : value_(std::move(value)) {}
    void appendTo(std::vector<Action>& a) const override;

private:
    StepValue value_;
};

class SetTargetStep : public ScriptStep {
public:
    explicit SetTargetStep(std::string name) : name_(std::move(name)) {}
    void appendTo(std::vector<Action>& a) const override { a.push_back(ActionSetTarget{name_}); }

private:
    std::string name_;
};

} // namespace tavlo::swf
