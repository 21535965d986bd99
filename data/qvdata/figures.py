"""The run's figures: what the generator kept, transliterated and dropped, counted by name."""

import collections


class Figures:
    """Made once per run and handed to the stages that count; written to figures.txt."""

    def __init__(self):
        self.counts = collections.Counter()

    def add(self, name, n=1):
        self.counts[name] += n

    def report(self):
        """One "name: count" line per figure, by name."""
        return "".join("%s: %d\n" % kv for kv in sorted(self.counts.items()))
