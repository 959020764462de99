// Keeps the tool library non-empty before any generator exists.
