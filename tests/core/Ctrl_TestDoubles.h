#pragma once
// A form and a controller that write every call they get into one shared
// journal, so that tests can check what arrived and in which order.

#include <string>
#include <vector>

#include "core/C_Ctrl.h"
#include "media/C_GUIInterface.h"

namespace ctrl_test
{
using Journal = std::vector<std::string>;

inline std::string Call(const std::string& who, const std::string& what)
{
    return who + "." + what;
}

inline std::string Call(const std::string& who, const std::string& what, int a)
{
    return who + "." + what + "(" + std::to_string(a) + ")";
}

inline std::string Call(const std::string& who, const std::string& what, int a, int b)
{
    return who + "." + what + "(" + std::to_string(a) + "," + std::to_string(b) + ")";
}

class RecordingForm : public CGUIInterface
{
public:
    RecordingForm(Journal& journal, std::string name) : journal(journal), name(std::move(name)) {}

    void OnMouseDown(int32_t x, int32_t y) override { journal.push_back(Call(name, "OnMouseDown", x, y)); }
    void OnMouseUp(int32_t x, int32_t y) override { journal.push_back(Call(name, "OnMouseUp", x, y)); }
    void OnMouseMove(int32_t x, int32_t y) override { journal.push_back(Call(name, "OnMouseMove", x, y)); }
    void OnWheelUp() override { journal.push_back(Call(name, "OnWheelUp")); }
    void OnWheelDown() override { journal.push_back(Call(name, "OnWheelDown")); }
    void OnKey(int32_t key) override { journal.push_back(Call(name, "OnKey", key)); }
    void ResetResult() override { journal.push_back(Call(name, "ResetResult")); }
    void Release() override { journal.push_back(Call(name, "Release")); }
    void Render1Frame() override { journal.push_back(Call(name, "Render1Frame")); }

private:
    Journal& journal;
    std::string name;
};

// Forwards to the base after noting the call, so that the form stack of the
// base is exercised as well.
class RecordingCtrl : public CCtrl
{
public:
    RecordingCtrl(Journal& journal, std::string name) : journal(journal), name(std::move(name)) {}

    void Init() override { journal.push_back(Call(name, "Init")); }
    CCtrl* Run1Frame() override
    {
        journal.push_back(Call(name, "Run1Frame"));
        return next;
    }
    void Release() override { journal.push_back(Call(name, "Release")); }
    void onMouseMove(int32_t x, int32_t y) override
    {
        journal.push_back(Call(name, "onMouseMove", x, y));
        CCtrl::onMouseMove(x, y);
    }
    void onMouseDown(int32_t button) override
    {
        journal.push_back(Call(name, "onMouseDown", button));
        CCtrl::onMouseDown(button);
    }
    void onMouseUp(int32_t button) override
    {
        journal.push_back(Call(name, "onMouseUp", button));
        CCtrl::onMouseUp(button);
    }
    void onDoubleClick(int32_t button) override { journal.push_back(Call(name, "onDoubleClick", button)); }
    void onWheelUp() override
    {
        journal.push_back(Call(name, "onWheelUp"));
        CCtrl::onWheelUp();
    }
    void onWheelDown() override
    {
        journal.push_back(Call(name, "onWheelDown"));
        CCtrl::onWheelDown();
    }
    void onKeyDown(int32_t key) override { journal.push_back(Call(name, "onKeyDown", key)); }
    void onKeyUp(int32_t key) override { journal.push_back(Call(name, "onKeyUp", key)); }
    void onChar(int32_t code) override
    {
        journal.push_back(Call(name, "onChar", code));
        CCtrl::onChar(code);
    }
    void onTimer(int32_t index) override { journal.push_back(Call(name, "onTimer", index)); }
    void onSetCustomRenderStates() override { journal.push_back(Call(name, "onSetCustomRenderStates")); }

    // What Run1Frame returns; itself unless a test says otherwise.
    CCtrl* next = this;

private:
    Journal& journal;
    std::string name;
};
}  // namespace ctrl_test
