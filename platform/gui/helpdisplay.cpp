#include "platform/gui/helpdisplay.h"

#include "platform/gui/boxes.h"
#include "platform/gui/window.h"
#include "platform/runtime/strings.h"

namespace kp {

HelpDisplay::HelpDisplay(Window* owner) : owner_(owner) {}

Symbol HelpDisplay::ClassName() const {
    return Symbol("HELPDISPLAY");
}

void HelpDisplay::Topic(const std::string& helpContext, std::string text) {
    topics_[Upper(AllTrim(helpContext))] = std::move(text);
}

std::string HelpDisplay::TopicText(const std::string& helpContext) const {
    auto it = topics_.find(Upper(AllTrim(helpContext)));
    if (it != topics_.end())
        return it->second;
    return "Zum Thema \"" + AllTrim(helpContext) +
           "\" ist keine Hilfe hinterlegt.\r\nBitte wenden Sie sich an Ihren "
           "KONTORPLUS-Betreuer.";
}

void HelpDisplay::Show(const std::string& helpContext) {
    last_ = helpContext;
    InfoBox box(owner_, "Hilfe", TopicText(helpContext));
    box.Show();
}

}  // namespace kp
