import sys

from qvdata import generate

sys.exit(generate.main())
