// Filled in by the conversion work.
