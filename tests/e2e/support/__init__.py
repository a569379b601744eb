"""What the end-to-end cases share: session, case and drive."""
