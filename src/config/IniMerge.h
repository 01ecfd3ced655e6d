// Puts a VIREO.INI written by the learner together with the user's old one,
// so that learning a handset again loses nothing the user wrote by hand: the
// port, each button's action (found by its Descr), and every section that
// was not learned, which follows the learned ones under new numbers, with
// the PROGRAM steps that name them renumbered to match.
#pragma once

#include <string>

namespace vireo {

// Both texts as read from disk (LF or CR LF); the result has CR LF lines.
// The learned file's [CONFIG] holds: it was chosen for this handset.
std::string MergeLearnedIni(const std::string& oldText, const std::string& learnedText);

}  // namespace vireo
