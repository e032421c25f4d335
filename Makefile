# The commands of the README.
.PHONY: run shell test bench
run:
	@tools/run.sh
shell:
	@tools/shell.sh
test:
	@tools/test.sh
bench:
	@tools/bench.sh
