# Tests of the signal frames, alignment and code texts.
