#include "HelpTopic.h"

namespace {

HelpTopicFunction g_function = nullptr;  // GUI thread only
int g_lastTopic = 0;

}  // namespace

void Help_ShowTopic(int topic) {
    g_lastTopic = topic;
    if (g_function)
        g_function(topic);
}

HelpTopicFunction Help_SetTopicFunction(HelpTopicFunction function) {
    HelpTopicFunction previous = g_function;
    g_function = function;
    return previous;
}

int Help_LastTopic() { return g_lastTopic; }
