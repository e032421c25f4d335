#pragma once
// HelpDisplay: the help a shell window offers its forms. Show, given a help
// context, shows the text of that help topic in a box titled "Hilfe". The
// box goes through the presenter (boxes.h), so tests answer it without a
// screen.
#include <map>
#include <string>

#include "platform/runtime/usual.h"

namespace kp {

class Window;

class HelpDisplay : public Object {
  public:
    // The box belongs to the owner's window (null: none).
    explicit HelpDisplay(Window* owner = nullptr);
    Symbol ClassName() const override;

    // The text of a topic; help contexts compare without regard to case.
    void Topic(const std::string& helpContext, std::string text);
    std::string TopicText(const std::string& helpContext) const;

    // Shows the topic of the help context.
    void Show(const std::string& helpContext);
    // The context last shown ("" before the first).
    const std::string& LastContext() const { return last_; }

  private:
    Window* owner_;
    std::map<std::string, std::string> topics_;  // by upper-case context
    std::string last_;
};

}  // namespace kp
