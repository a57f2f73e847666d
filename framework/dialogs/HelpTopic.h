#pragma once
// Context help as the framework asks for it. The help viewer itself belongs to the
// application screens, which install the function that opens a topic; until then a
// request is only remembered (the last topic asked for), so nothing fails.
using HelpTopicFunction = void (*)(int topic);

void Help_ShowTopic(int topic);
// Returns the previous function; null leaves requests unanswered.
HelpTopicFunction Help_SetTopicFunction(HelpTopicFunction function);
// The topic of the last request, 0 before the first.
int Help_LastTopic();
