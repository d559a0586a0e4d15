#include "platform/help.h"

namespace tolvi::platform {
namespace {

class SilentHelp : public Help {
public:
    void ShowTopic(const std::string&, int32_t) override {}
    void Command(const std::string&, int, const std::string&) override {}
};

SilentHelp gSilentHelp;
Help* gHelp = &gSilentHelp;

}  // namespace

Help& help() { return *gHelp; }
void SetHelp(Help* engine) { gHelp = engine ? engine : &gSilentHelp; }

}  // namespace tolvi::platform
