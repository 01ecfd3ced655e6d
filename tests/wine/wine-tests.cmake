# Tests of the Win32 platform layer, run under Wine.
