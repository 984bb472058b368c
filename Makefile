# Kestrova: build, run and test on Debian 12.
BUILD ?= build
JOBS  ?= 2
PACKAGES = g++ make cmake pkg-config qt6-base-dev qt6-svg-dev libqscintilla2-qt6-dev \
           libpugixml-dev libxslt1-dev libxml2-dev libgtest-dev xvfb xauth \
           xsltproc libxml2-utils fonts-dejavu-core locales clang libclang-rt-dev
SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)
EXAMPLE_OUT = $(BUILD)/example
# Fuzzing (clang++, libFuzzer): its own build folder; each target runs
# FUZZ_SECONDS in `make fuzz`, FUZZ_SMOKE_SECONDS in `make check`.
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 60
FUZZ_SMOKE_SECONDS ?= 3
# GNU Gama's gama-local for the interop tests and the example's adjustment:
# GAMA_LOCAL from the environment, else the PATH, else the shared tools
# beside the repository. Tests that need it are skipped without it.
GAMA_LOCAL ?= $(or $(shell command -v gama-local 2>/dev/null),$(wildcard $(abspath $(CURDIR)/../shared/tools/gama-local)))
export GAMA_LOCAL

.PHONY: all deps build run check fuzz gui bench install clean

all: build

# Installs only what is missing, then makes sure the French locale exists
# (one test runs the console under fr_FR.UTF-8).
deps:
	@missing=""; for p in $(PACKAGES); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q "install ok installed" || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "Installation de :$$missing"; \
	  $(SUDO) apt-get update && DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y --no-install-recommends $$missing; \
	fi
	@if ! locale -a 2>/dev/null | grep -qi '^fr_FR\.utf-\?8$$'; then \
	  $(SUDO) sed -i 's/^# *fr_FR.UTF-8 UTF-8/fr_FR.UTF-8 UTF-8/' /etc/locale.gen; \
	  grep -q '^fr_FR.UTF-8 UTF-8' /etc/locale.gen || echo 'fr_FR.UTF-8 UTF-8' | $(SUDO) tee -a /etc/locale.gen >/dev/null; \
	  $(SUDO) locale-gen; \
	fi

build: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release
	cmake --build $(BUILD) -j$(JOBS)

run: build
	@mkdir -p $(EXAMPLE_OUT)
	cp examples/Kestrova.ini $(EXAMPLE_OUT)/Kestrova.ini
	Kestrova=$(CURDIR)/$(EXAMPLE_OUT) ./$(BUILD)/kestrova -x crt2obs -i examples/chantier.crt -o $(EXAMPLE_OUT)/chantier
	Kestrova=$(CURDIR)/$(EXAMPLE_OUT) ./$(BUILD)/kestrova -x obs2gkf -i $(EXAMPLE_OUT)/chantier.obs -c examples/chantier.cor -o $(EXAMPLE_OUT)/chantier_reseau
	@echo "Fichiers écrits dans $(EXAMPLE_OUT) :"
	@ls -l $(EXAMPLE_OUT)
	@# The network adjusted by gama-local (skipped, saying so, when it is absent).
	Kestrova=$(CURDIR)/$(EXAMPLE_OUT) ./$(BUILD)/kestrova -x adjust -i $(EXAMPLE_OUT)/chantier.obs -c examples/chantier.cor -o $(EXAMPLE_OUT)/chantier_ajuste || [ -z "$(GAMA_LOCAL)" ]

check: build
	cd $(BUILD) && ctest --output-on-failure -j$(JOBS)
	FUZZ_SEED=1 JOBS=$(JOBS) fuzz/run.sh $(FUZZ_BUILD) $(FUZZ_SMOKE_SECONDS)

fuzz: deps
	JOBS=$(JOBS) fuzz/run.sh $(FUZZ_BUILD) $(FUZZ_SECONDS)

gui: build
	./$(BUILD)/kestrova

bench: build
	bench/run.sh $(BUILD)

install: build
	$(SUDO) cmake --install $(BUILD)

clean:
	rm -rf $(BUILD) $(FUZZ_BUILD)
