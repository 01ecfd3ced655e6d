# The learner: a handset's settings and Values from recordings of its
# buttons, found by replaying distorted presses through the real engine on
# the simulated receiver. Portable, for vireo-learn and the program alike.
add_library(vireo_learn STATIC
  learn/ButtonSignals.cpp
  learn/EngineRun.cpp
  learn/LearnTexts.cpp
  learn/LearningSession.cpp
  learn/Learner.cpp
  learn/PeriodChoice.cpp
  learn/Press.cpp
  learn/ReceiverPress.cpp
  learn/SettingsChoice.cpp
  learn/ValueChoice.cpp
)
target_link_libraries(vireo_learn PUBLIC vireo_sim vireo_text)
