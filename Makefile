# The two commands of the README.
.PHONY: run test bench
run:
	@tools/run.sh
test:
	@tools/test.sh
bench:
	@tools/bench.sh
