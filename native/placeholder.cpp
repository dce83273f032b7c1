// The native layer starts here; its sources replace this file.
