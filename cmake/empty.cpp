// Keeps the portable library non-empty while it has no sources of its own.
