// First frames of real handset captures (microseconds, mark first, then
// alternating space and mark), taken from the public-domain Flipper infrared
// collection. Tests lay them into frames the way the sampler would.
#pragma once

#include <vector>

namespace vireo::testing {

struct CapturedPacket {
  const char* source;  // file and button in the collection
  std::vector<int> durationsUs;
};

inline const std::vector<CapturedPacket>& CapturedPackets() {
  static const std::vector<CapturedPacket> packets = {
      {"Speakers/Sangean/Sangean_RC30.ir Power",
       {9150, 4435, 643,  1608, 643,  468,  644,  469,  642,  364,  749,  468,  643,  447,  665,
        449,  663,  469,  643,  452,  660,  470,  642,  450,  662,  442,  670,  449,  662,  469,
        643,  1579, 672,  1608, 642,  1580, 671,  1609, 641,  1607, 643,  1578, 672,  1607, 643,
        1608, 642,  1606, 644,  1606, 644,  1606, 644,  1607, 643,  1576, 675,  1579, 671,  1605,
        674,  438,  645,  466,  673,  438,  646,  466,  674,  437,  673,  439,  672,  439,  673,
        438,  646,  1604, 673,  1577, 673,  1578, 673,  1577, 674,  1577, 673}},
      {"DVB-T/MSI/DigiVox_MiniII.ir 8",
       {9000, 4441, 592, 1630, 668, 1550, 613, 535,  588, 561,  562, 560, 563, 1629,
        596,  552,  560, 588,  566, 1626, 589, 559,  564, 1680, 566, 557, 566, 556,
        567,  555,  568, 1650, 596, 553,  559, 563,  560, 1683, 563, 560, 563, 1681,
        565,  557,  566, 1652, 563, 560,  563, 559,  595, 1623, 592, 557, 566, 1652,
        594,  554,  569, 1649, 586, 536,  587, 1657, 568, 1624, 591}},
      {"Speakers/Bose/Bose_Wave_System.ir Power",
       {1011, 1479, 517, 477,  516, 481,  512, 1480, 516, 1473, 513, 482,
        511,  485,  518, 1473, 513, 482,  511, 1481, 515, 1474, 512, 482,
        511,  485,  518, 1473, 513, 1477, 509, 486,  517, 1473, 513}},
  };
  return packets;
}

}  // namespace vireo::testing
