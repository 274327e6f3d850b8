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

inline std::string Call(const std::string& who, const std::string& what, const std::vector<int>& args = {})
{
    std::string call = who + "." + what;
    for (size_t i = 0; i < args.size(); ++i)
        call += (i == 0 ? "(" : ",") + std::to_string(args[i]);
    return args.empty() ? call : call + ")";
}

class RecordingForm : public CGUIInterface
{
public:
    RecordingForm(Journal& journal, std::string name) : journal(journal), name(std::move(name)) {}

    void OnMouseDown(int32_t x, int32_t y) override { Note("OnMouseDown", {x, y}); }
    void OnWheelUp() override { Note("OnWheelUp"); }
    void OnKey(int32_t key) override { Note("OnKey", {key}); }
    void ResetResult() override { Note("ResetResult"); }
    void Release() override { Note("Release"); }
    void Render1Frame() override { Note("Render1Frame"); }

private:
    void Note(const char* what, const std::vector<int>& args = {}) { journal.push_back(Call(name, what, args)); }
    Journal& journal;
    std::string name;
};

// Forwards a button, the wheel up and characters to the base after noting
// them, so that the form stack of the base is exercised as well.
class RecordingCtrl : public CCtrl
{
public:
    RecordingCtrl(Journal& journal, std::string name) : journal(journal), name(std::move(name)) {}

    void Init() override { Note("Init"); }
    CCtrl* Run1Frame() override
    {
        Note("Run1Frame");
        return next;
    }
    void Release() override { Note("Release"); }
    void onMouseMove(int32_t x, int32_t y) override { Note("onMouseMove", {x, y}); }
    void onMouseDown(int32_t button) override
    {
        Note("onMouseDown", {button});
        CCtrl::onMouseDown(button);
    }
    void onMouseUp(int32_t button) override { Note("onMouseUp", {button}); }
    void onDoubleClick(int32_t button) override { Note("onDoubleClick", {button}); }
    void onWheelUp() override
    {
        Note("onWheelUp");
        CCtrl::onWheelUp();
    }
    void onWheelDown() override { Note("onWheelDown"); }
    void onKeyDown(int32_t key) override { Note("onKeyDown", {key}); }
    void onKeyUp(int32_t key) override { Note("onKeyUp", {key}); }
    void onChar(int32_t code) override
    {
        Note("onChar", {code});
        CCtrl::onChar(code);
    }
    void onTimer(int32_t index) override { Note("onTimer", {index}); }
    void onSetCustomRenderStates() override { Note("onSetCustomRenderStates"); }

    // What Run1Frame returns; itself unless a test says otherwise.
    CCtrl* next = this;

private:
    void Note(const char* what, const std::vector<int>& args = {}) { journal.push_back(Call(name, what, args)); }
    Journal& journal;
    std::string name;
};
}  // namespace ctrl_test
