// Stands in for the session layer's header in the upward-include sample.
#pragma once
