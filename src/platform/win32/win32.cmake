# The Win32 implementations of the platform seams.
